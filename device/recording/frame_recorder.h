#pragma once
// FrameRecorder: while RECORD=1, each game start begins a recording in the
// folder ZelkRecord beside the plug-in, "<game>-YYYYMMDD-HHMMSS.zdr" by the
// local start time, and every frame the plug-in takes in is added to it
// (core/dmd_recording.h). The file is created at the game's first frame,
// with the frame counter and MATCHRESET that frame meets, so that a replay
// re-arms triggers on the frames the plug-in did.
//
// The host's thread must not wait on the disk for long: records collect in a
// buffer that is written when it fills, at Close, at the next game start and
// when the library unloads, and a run of repeats is written once it is 3,600
// frames long, so a host that dies loses at most the buffer and that run.
// A recording stops growing at its size limit (one log line); a folder or
// file that cannot be written turns recording off until the next Open reads
// RECORD again (one log line). Nothing it does throws, and the log lines of
// matching are untouched.
#include <cstdint>
#include <optional>
#include <string>

#include "core/dmd_recording.h"
#include "device/entry/plugin_state.h"

namespace zelk::device {

class FrameRecorder {
public:
    static constexpr uint64_t kDefaultLimitBytes = uint64_t{256} << 20;
    static constexpr size_t kBufferBytes = 256 * 1024;
    static constexpr uint32_t kRunWrittenAfter = 3600;  // a minute at 60 frames a second
    static constexpr const char* kFolderName = "ZelkRecord";

    explicit FrameRecorder(PluginState& state, uint64_t limitBytes = kDefaultLimitBytes);
    ~FrameRecorder();  // writes what is buffered
    FrameRecorder(const FrameRecorder&) = delete;
    FrameRecorder& operator=(const FrameRecorder&) = delete;

    // Ends the recording of the game before; begins one when state.record is on.
    void startGame() noexcept;
    // A frame the plug-in takes in. Frames of another size than the
    // recording's first are left out: a recording has one frame size.
    void take(uint16_t width, uint16_t height, const uint8_t* frame) noexcept;
    void flush() noexcept;
    // RECORD is off: writes what is buffered and records nothing more.
    void stop() noexcept;

    // Whether frames are being recorded now.
    bool recording() const { return active_; }
    // The file of the running recording, empty before its first frame.
    const std::string& path() const { return path_; }

private:
    void begin(uint16_t width, uint16_t height);
    std::string freePath(const std::string& folder) const;
    void addFrame(const uint8_t* frame);
    void addRepeat();
    bool fits(uint64_t moreBytes) const;
    void write();
    void reachLimit();
    void fail() noexcept;

    PluginState& state_;
    uint64_t limitBytes_;
    bool active_ = false;
    std::string name_;     // file name chosen at the game start
    std::string path_;
    std::optional<recording::Encoder> encoder_;
    uint16_t width_ = 0;
    uint16_t height_ = 0;
    uint64_t written_ = 0;  // bytes in the file
};

// The game name as part of a file name that Windows accepts: characters it
// refuses (and control characters) become '_', at most 64 bytes, never empty.
std::string recordingName(const std::string& game, const LocalTime& start);

}  // namespace zelk::device
