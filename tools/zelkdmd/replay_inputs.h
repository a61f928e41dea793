#pragma once
// The FRAME arguments of `zelkdmd replay`. A file that begins with the two
// bytes "BM" is a BMP picture and gives one frame of its own size; one that
// begins with a recording's magic is a recording the plug-in made
// (core/dmd_recording.h), each repeat a frame of its own; any other file is
// raw RGB24 frames of one size, one after the other.
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/dmd_recording.h"

namespace zelk::tools {

// A FRAME argument that cannot be used; the message names the file.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct FrameSize {
    uint16_t width = 128;
    uint16_t height = 32;
    size_t bytes() const { return size_t{width} * height * 3; }
};

struct FrameInput {
    std::string path;
    bool isBmp = false;
    bool isRecording = false;    // made by the plug-in with RECORD=1
    bool cut = false;            // a recording that ends inside a record: its complete records count
    FrameSize size;              // the picture's size, or the recording's frame size
    std::optional<recording::MatchStart> matchStart;  // a recording's, from version 2 on
    uint64_t frameCount = 0;
    std::vector<uint8_t> rgb;    // a BMP picture's one frame, red, green, blue
};

// Checks one FRAME argument before any frame is replayed, so that a bad file
// late in the list stops the run before it prints anything. Throws InputError.
// A cut recording is usable: a warning on stderr says how much of it is.
FrameInput inspectFrameFile(const std::string& path, FrameSize rawSize);

// Hands every frame of the input to sink, in order, until sink returns false.
// Throws InputError when the recording cannot be read to its end.
using FrameSink = std::function<bool(uint16_t width, uint16_t height, const uint8_t* rgb)>;
void forEachFrame(const FrameInput& input, const FrameSink& sink);

}  // namespace zelk::tools
