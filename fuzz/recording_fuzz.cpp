#include "fuzz/recording_fuzz.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/dmd_recording.h"
#include "core/error.h"

namespace zelk::recording_fuzz {
namespace {

void require(bool condition, const char* what) {
    if (!condition) throw std::logic_error(std::string("recording reader broke a promise: ") + what);
}

// Every frame, as a chain of distinct frames and their repeats: enough to
// check a second encoding without keeping hundreds of copies of one frame.
struct Frames {
    uint16_t width = 0, height = 0;
    std::optional<recording::MatchStart> start;
    std::vector<std::vector<uint8_t>> distinct;
    std::vector<uint64_t> shown;  // times each distinct frame was shown in a row
    bool cut = false;
    uint64_t completeBytes = 0;
    bool tooLong = false;  // read no further: a few bytes can repeat a frame billions of times
};

constexpr uint64_t kMaxFrames = 100000;

Frames readAll(std::span<const uint8_t> data) {
    recording::SpanSource source(data);
    recording::Reader reader(source, "fuzz.zdr");
    Frames frames{reader.width(), reader.height(), reader.matchStart(), {}, {}, false, 0, false};
    const size_t bytes = recording::frameBytes(reader.width(), reader.height());
    uint64_t total = 0;
    while (const uint8_t* rgb = reader.next()) {
        if (++total > kMaxFrames) {
            frames.tooLong = true;
            return frames;
        }
        if (!frames.distinct.empty() && std::equal(rgb, rgb + bytes, frames.distinct.back().begin())) {
            ++frames.shown.back();
        } else {
            frames.distinct.emplace_back(rgb, rgb + bytes);
            frames.shown.push_back(1);
        }
    }
    frames.cut = reader.cut();
    frames.completeBytes = reader.completeBytes();
    require(reader.next() == nullptr, "a frame after the end");
    return frames;
}

}  // namespace

void fuzz(std::span<const uint8_t> data) {
    Frames first;
    try {
        first = readAll(data);
    } catch (const Error&) {
        return;  // refused cleanly
    }
    if (first.tooLong) return;
    require(first.width >= 1 && first.height >= 1 && first.width <= recording::kMaxSide &&
                first.height <= recording::kMaxSide,
            "frame size out of range");
    require(first.completeBytes <= data.size(), "more complete bytes than the data");
    require(first.cut == (first.completeBytes < data.size()), "cut reported wrongly");

    // A version 1 file comes back as version 2, with the start a replay assumes for it.
    const recording::MatchStart start = first.start.value_or(recording::MatchStart{});
    recording::Encoder encoder(first.width, first.height, start);
    for (size_t i = 0; i < first.distinct.size(); ++i) {
        for (uint64_t n = 0; n < first.shown[i]; ++n) {
            if (encoder.repeatsLast(first.distinct[i].data())) {
                encoder.addRepeat();
            } else {
                encoder.addFrame(first.distinct[i].data());
            }
        }
    }
    encoder.closeRun();
    const std::string& bytes = encoder.output();
    const Frames again = readAll({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    require(!again.cut && again.completeBytes == bytes.size(), "an encoding read back as cut");
    require(again.start == start, "the matching's start changed by a second encoding");
    require(again.distinct == first.distinct && again.shown == first.shown, "frames changed by a second encoding");
}

}  // namespace zelk::recording_fuzz
