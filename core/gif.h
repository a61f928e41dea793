#pragma once
// GIF87a/GIF89a decoding from a byte buffer (no I/O) and frame compositing,
// kept apart: the decoder yields frames, the compositor owns the canvas.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zelk::gif {

struct Color {
    uint8_t red = 0, green = 0, blue = 0;
};

enum class Disposal : uint8_t { None = 0, Keep = 1, Background = 2, Previous = 3 };

struct Frame {
    int32_t left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;           // indices below are already de-interlaced
    std::vector<Color> palette;        // the local table, else the global one
    std::vector<uint8_t> indices;      // width * height, rows from the top
    int32_t transparentIndex = -1;     // -1: none
    Disposal disposal = Disposal::None;
    uint16_t delayCentiseconds = 0;
};

struct Image {
    int32_t width = 0, height = 0;     // the logical screen
    std::vector<Color> globalPalette;
    uint8_t backgroundIndex = 0;
    std::optional<uint16_t> loopCount; // absent: no looping extension (play once)
    std::vector<Frame> frames;
};

struct Limits {
    int32_t maxSide = 4096;                    // logical screen and frames
    uint64_t maxPixelsTotal = 64ull << 20;     // summed over all frames
    size_t maxFrames = 10000;
};

// Throws zelk::Error with a clear reason on truncated, corrupt or oversized data.
Image decode(std::span<const uint8_t> data, const Limits& limits = {});

// Composes the frames of an Image as GIF89a prescribes. Canvas: RGB, rows
// from the top, width * height * 3 bytes (red, green, blue).
class Compositor {
public:
    explicit Compositor(const Image& image);
    // The composed picture of the current frame.
    const std::vector<uint8_t>& canvas() const;
    int currentFrame() const;
    // Next frame; after the last one, back to the first while passes remain
    // (filling the last frame's rectangle with the background first), else stay.
    void advance();
};

}  // namespace zelk::gif
