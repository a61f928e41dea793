#include "core/dmd_recording.h"

#include <algorithm>
#include <cstring>

#include "core/byte_reader.h"
#include "core/error.h"

namespace zelk::recording {
namespace {

// The first frame is read in steps of this size, so its buffer grows only
// with bytes that are really there.
constexpr size_t kGrowStep = 64 * 1024;

void appendU16(std::string& out, uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void appendI32(std::string& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((bits >> shift) & 0xFF);
}

}  // namespace

bool hasMagic(std::span<const uint8_t> start) {
    return start.size() >= sizeof kMagic && std::memcmp(start.data(), kMagic, sizeof kMagic) == 0;
}

void appendHeader(std::string& out, uint16_t width, uint16_t height, const MatchStart& start) {
    out.append(reinterpret_cast<const char*>(kMagic), sizeof kMagic);
    appendU16(out, kVersion);
    appendU16(out, width);
    appendU16(out, height);
    appendU16(out, 0);  // reserved
    appendI32(out, start.frameCounter);
    appendI32(out, start.matchReset);
}

void appendFrameRecord(std::string& out, const uint8_t* rgb, size_t bytes) {
    out += static_cast<char>(kFrameTag);
    out.append(reinterpret_cast<const char*>(rgb), bytes);
}

void appendRepeatRecord(std::string& out, uint32_t count) {
    out += static_cast<char>(kRepeatTag);
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((count >> shift) & 0xFF);
}

Encoder::Encoder(uint16_t width, uint16_t height, const MatchStart& start)
    : frameBytes_(recording::frameBytes(width, height)) {
    appendHeader(output_, width, height, start);
}

const uint8_t* Encoder::last() const {
    if (lastInOutput_) return reinterpret_cast<const uint8_t*>(output_.data()) + lastAt_;
    return lastCopy_.empty() ? nullptr : lastCopy_.data();
}

bool Encoder::repeatsLast(const uint8_t* rgb) const {
    const uint8_t* before = last();
    return before != nullptr && std::memcmp(before, rgb, frameBytes_) == 0;
}

void Encoder::addRepeat() {
    if (run_ == UINT32_MAX) closeRun();
    ++run_;
}

void Encoder::addFrame(const uint8_t* rgb) {
    closeRun();
    appendFrameRecord(output_, rgb, frameBytes_);
    lastAt_ = output_.size() - frameBytes_;
    lastInOutput_ = true;
}

void Encoder::closeRun() {
    if (run_ == 0) return;
    appendRepeatRecord(output_, run_);
    run_ = 0;
}

void Encoder::clearOutput() {
    if (lastInOutput_) {
        const uint8_t* frame = last();
        lastCopy_.assign(frame, frame + frameBytes_);
        lastInOutput_ = false;
    }
    output_.clear();
}

size_t SpanSource::read(uint8_t* into, size_t count) {
    const size_t taken = std::min(count, bytes_.size() - at_);
    if (taken > 0) std::memcpy(into, bytes_.data() + at_, taken);
    at_ += taken;
    return taken;
}

Reader::Reader(Source& source, std::string name) : source_(source), name_(std::move(name)) {
    uint8_t header[kHeaderBytes];
    size_t got = source_.read(header, kVersion1HeaderBytes);
    if (!hasMagic({header, got})) refuse("is not a frame recording");
    if (got < kVersion1HeaderBytes) refuse("ends inside its header");
    const ByteReader fields({header, sizeof header});
    const uint16_t version = fields.u16(4);
    if (version != 1 && version != kVersion) {
        refuse("has recording version " + std::to_string(version) + ", not 1 or 2");
    }
    if (version == kVersion) {
        got += source_.read(header + got, kHeaderBytes - got);
        if (got < kHeaderBytes) refuse("ends inside its header");
        matchStart_ = MatchStart{fields.i32(12), fields.i32(16)};
    }
    width_ = fields.u16(6);
    height_ = fields.u16(8);
    if (width_ < 1 || height_ < 1 || width_ > kMaxSide || height_ > kMaxSide) {
        refuse("has frames of " + std::to_string(width_) + "x" + std::to_string(height_) +
               ", not 1 to 4096 dots a side");
    }
    completeBytes_ = got;
}

void Reader::refuse(const std::string& why) const {
    throw Error("ERecordingError", "Recording \"" + name_ + "\" " + why + ".");
}

const uint8_t* Reader::next() {
    while (repeatsLeft_ == 0) {
        if (ended_) return nullptr;
        uint8_t tag = 0;
        if (source_.read(&tag, 1) == 0 || !readRecordBody(tag)) {
            ended_ = true;
            return nullptr;
        }
        if (tag == kFrameTag) return frame_.data();
    }
    --repeatsLeft_;
    return frame_.data();
}

// False when the file ends inside the record (cut).
bool Reader::readRecordBody(uint8_t tag) {
    if (tag == kFrameTag) return readFrame();
    if (tag != kRepeatTag) refuse("has an unknown record (byte " + std::to_string(tag) + ") at offset " +
                                  std::to_string(completeBytes_));
    uint8_t count[4];
    if (source_.read(count, sizeof count) < sizeof count) {
        cut_ = true;
        return false;
    }
    if (!haveFrame_) refuse("repeats a frame before its first frame");
    const uint32_t value = ByteReader({count, sizeof count}).u32(0);
    if (value == 0) refuse("has a repeat of 0 frames at offset " + std::to_string(completeBytes_));
    repeatsLeft_ = value;
    completeBytes_ += kRepeatRecordBytes;
    return true;
}

bool Reader::readFrame() {
    const size_t bytes = frameBytes(width_, height_);
    size_t got = 0;
    if (frame_.size() == bytes) {
        got = source_.read(frame_.data(), bytes);
    } else {
        while (got < bytes) {
            frame_.resize(std::min(bytes, got + kGrowStep));
            const size_t step = source_.read(frame_.data() + got, frame_.size() - got);
            got += step;
            if (got < frame_.size()) break;
        }
    }
    if (got < bytes) {
        cut_ = true;
        return false;
    }
    haveFrame_ = true;
    completeBytes_ += 1 + bytes;
    return true;
}

}  // namespace zelk::recording
