#include "device/recording/frame_recorder.h"

#include <cstdio>
#include <string_view>

#include "device/log/log_writer.h"

namespace zelk::device {
namespace {

constexpr size_t kMaxGameBytes = 64;

// Cut at a character boundary of the UTF-8 text.
std::string cutUtf8(const std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace

std::string recordingName(const std::string& game, const LocalTime& start) {
    std::string safe = cutUtf8(game, kMaxGameBytes);
    for (char& c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) c = '_';
    }
    if (safe.empty()) safe = "game";
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d%02d", start.year % 10000, start.month % 100,
                  start.day % 100, start.hour % 100, start.minute % 100, start.second % 100);
    return safe + stamp;
}

FrameRecorder::FrameRecorder(PluginState& state, uint64_t limitBytes) : state_(state), limitBytes_(limitBytes) {}

FrameRecorder::~FrameRecorder() { flush(); }

void FrameRecorder::startGame() noexcept {
    stop();
    if (!state_.record) return;
    try {
        name_ = recordingName(state_.gameName, state_.platform.clockAndText.localTime());
        active_ = true;
    } catch (...) {
        fail();
    }
}

void FrameRecorder::stop() noexcept {
    flush();
    active_ = false;
    encoder_.reset();
    path_.clear();
}

void FrameRecorder::take(uint16_t width, uint16_t height, const uint8_t* frame) noexcept {
    if (!active_) return;
    // The plug-in's own intake checks.
    if (frame == nullptr || width == 0 || height == 0) return;
    if (width > recording::kMaxSide || height > recording::kMaxSide) return;
    try {
        if (!encoder_) {
            begin(width, height);
        } else if (width != width_ || height != height_) {
            return;
        }
        if (encoder_->repeatsLast(frame)) {
            addRepeat();
        } else {
            addFrame(frame);
        }
    } catch (...) {
        fail();
    }
}

// The folder and the file with its header, at once: a place that cannot be
// written shows at the first frame, not a buffer later.
void FrameRecorder::begin(uint16_t width, uint16_t height) {
    Files& files = state_.platform.files;
    const std::string folder = state_.pluginFolder + kFolderName;
    files.createFolder(folder);
    path_ = freePath(folder + files.pathSeparator());
    encoder_.emplace(width, height, recording::MatchStart{state_.frameCounter, state_.matchReset});
    width_ = width;
    height_ = height;
    encoder_->reserve(kBufferBytes + 1 + encoder_->frameBytes() + 2 * recording::kRepeatRecordBytes);
    files.writeBytes(path_, encoder_->output(), true);
    written_ = encoder_->output().size();
    encoder_->clearOutput();
}

// Two game starts in one second get "-2", "-3", ... after the time.
std::string FrameRecorder::freePath(const std::string& folder) const {
    Files& files = state_.platform.files;
    std::string path = folder + name_ + ".zdr";
    for (int n = 2; n < 1000 && (files.fileExists(path) || files.directoryExists(path)); ++n) {
        path = folder + name_ + "-" + std::to_string(n) + ".zdr";
    }
    return path;
}

bool FrameRecorder::fits(uint64_t moreBytes) const {
    return written_ + encoder_->output().size() + moreBytes <= limitBytes_;
}

void FrameRecorder::addFrame(const uint8_t* frame) {
    // Room for the open run's record, this frame and the run it may start.
    const uint64_t openRun = encoder_->openRun() > 0 ? recording::kRepeatRecordBytes : 0;
    if (!fits(openRun + 1 + encoder_->frameBytes() + recording::kRepeatRecordBytes)) {
        reachLimit();
        return;
    }
    encoder_->addFrame(frame);
    if (encoder_->output().size() >= kBufferBytes) write();
}

void FrameRecorder::addRepeat() {
    encoder_->addRepeat();
    // A long still screen reaches the file now and then, not only at its end.
    if (encoder_->openRun() >= kRunWrittenAfter && fits(2 * recording::kRepeatRecordBytes)) write();
}

// Writes the buffer with the open run's count so far; the run goes on in a
// repeat record of its own.
void FrameRecorder::write() {
    if (encoder_->openRun() > 0 && fits(recording::kRepeatRecordBytes)) encoder_->closeRun();
    if (encoder_->output().empty()) return;
    state_.platform.files.writeBytes(path_, encoder_->output(), false);
    written_ += encoder_->output().size();
    encoder_->clearOutput();
}

void FrameRecorder::flush() noexcept {
    if (!active_ || !encoder_) return;
    try {
        write();
    } catch (...) {
        fail();
    }
}

void FrameRecorder::reachLimit() {
    write();
    active_ = false;
    state_.log("Record size limit reached:" + path_);
}

void FrameRecorder::fail() noexcept {
    active_ = false;
    state_.record = false;
    try {
        state_.log("ERROR recording, recording off: " + describeFailure(std::current_exception()).message);
    } catch (...) {
        // Out of memory for the line: recording is off all the same.
    }
}

}  // namespace zelk::device
