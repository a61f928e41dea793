#pragma once
// Recordings of the frames a DMD host sent (".zdr" files): written by the
// plug-in while RECORD=1, read by zelkdmd. The layout and why it survives a
// host that dies mid-write are in docs/recording-format.md.
//
// A 20-byte header (magic, version, frame width and height, the matching's
// frame counter and MATCHRESET at the recording's start; version 1 has a
// 12-byte header without the last two), then records:
//   'F' + width * height * 3 bytes   a frame, RGB24, rows from the top
//   'R' + u32 count (little-endian)  the frame before was shown count more times
// Consecutive repeat records add up. Nothing refers back or forward, so every
// complete record in a file cut anywhere is still good.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zelk::recording {

inline constexpr uint8_t kMagic[4] = {'Z', 'D', 'R', 0x1A};
inline constexpr uint16_t kVersion = 2;
inline constexpr size_t kHeaderBytes = 20;
inline constexpr size_t kVersion1HeaderBytes = 12;
inline constexpr uint8_t kFrameTag = 'F';
inline constexpr uint8_t kRepeatTag = 'R';
inline constexpr size_t kRepeatRecordBytes = 5;
// As the plug-in: no DMD comes near, and it bounds the reader's one frame.
inline constexpr uint16_t kMaxSide = 4096;

// The plug-in's matching state that the first frame meets: the frame counter
// goes on across game starts, so a replay starts from it to re-arm triggers
// on the frames the plug-in did.
struct MatchStart {
    int32_t frameCounter = 0;
    int32_t matchReset = 30;
    bool operator==(const MatchStart&) const = default;
};

inline size_t frameBytes(uint16_t width, uint16_t height) { return size_t{width} * height * 3; }
// Whether the first bytes of a file are a recording's magic.
bool hasMagic(std::span<const uint8_t> start);

// Appends the bytes of a header or a record to out.
void appendHeader(std::string& out, uint16_t width, uint16_t height, const MatchStart& start);
void appendFrameRecord(std::string& out, const uint8_t* rgb, size_t bytes);
void appendRepeatRecord(std::string& out, uint32_t count);

// Turns a stream of frames of one size into records, in output(): a frame
// equal to the one before extends the open run, which is written as a repeat
// record when the run ends (or closeRun is called). Keeps the last frame
// without copying it per frame: it is the last frame record in output() until
// the caller takes the output.
class Encoder {
public:
    // output() starts with the header.
    Encoder(uint16_t width, uint16_t height, const MatchStart& start);

    size_t frameBytes() const { return frameBytes_; }
    bool repeatsLast(const uint8_t* rgb) const;
    void addRepeat();                       // only when repeatsLast
    void addFrame(const uint8_t* rgb);      // closes the open run first
    void closeRun();
    uint32_t openRun() const { return run_; }

    const std::string& output() const { return output_; }
    void reserve(size_t bytes) { output_.reserve(bytes); }
    // The caller has written output() away; keeps the capacity.
    void clearOutput();

private:
    const uint8_t* last() const;

    size_t frameBytes_;
    std::string output_;
    size_t lastAt_ = 0;           // offset of the last frame in output_, when there
    bool lastInOutput_ = false;
    std::vector<uint8_t> lastCopy_;  // the last frame once output_ was taken
    uint32_t run_ = 0;
};

// Where a reader's bytes come from.
class Source {
public:
    virtual ~Source() = default;
    // Up to count bytes; fewer only at the end. Throws when reading fails.
    virtual size_t read(uint8_t* into, size_t count) = 0;
};

class SpanSource : public Source {
public:
    explicit SpanSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    size_t read(uint8_t* into, size_t count) override;

private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
};

// Reads a recording frame by frame. Memory is one frame, grown only as far as
// bytes actually arrive, so a hostile header cannot make it allocate more
// than the file holds. Reads versions 1 and 2. Refusals are zelk::Error
// "ERecordingError" naming the file: a bad magic, version or frame size, a
// file shorter than its header, an unknown record, a repeat before any frame
// or a repeat of 0.
class Reader {
public:
    Reader(Source& source, std::string name);

    uint16_t width() const { return width_; }
    uint16_t height() const { return height_; }
    // Known from version 2 on.
    const std::optional<MatchStart>& matchStart() const { return matchStart_; }
    // The next frame shown (a repeat gives the same bytes again), valid until
    // the next call; null once the complete records are used up.
    const uint8_t* next();
    // Repeats of the frame next() gave that are still to come; skipping them
    // counts a run without a call per frame.
    uint64_t repeatsLeft() const { return repeatsLeft_; }
    void skipRepeats() { repeatsLeft_ = 0; }
    // Known once next() returned null: the file ended inside a record.
    bool cut() const { return cut_; }
    // Bytes of the header and of every complete record read so far.
    uint64_t completeBytes() const { return completeBytes_; }

private:
    [[noreturn]] void refuse(const std::string& why) const;
    bool readRecordBody(uint8_t tag);
    bool readFrame();

    Source& source_;
    std::string name_;
    uint16_t width_ = 0;
    uint16_t height_ = 0;
    std::optional<MatchStart> matchStart_;
    std::vector<uint8_t> frame_;
    bool haveFrame_ = false;
    uint64_t repeatsLeft_ = 0;
    bool ended_ = false;
    bool cut_ = false;
    uint64_t completeBytes_ = 0;
};

}  // namespace zelk::recording
