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

// What decode() accepts. The checks run before the memory is allocated, so a
// hostile header (a logical screen of 65535x65535) costs nothing.
struct Limits {
    int32_t maxSide = 4096;                    // logical screen and frames
    uint64_t maxPixelsTotal = 64ull << 20;     // summed over all frames
    size_t maxFrames = 10000;
};

// Throws zelk::Error ("EGifError") with a clear reason on truncated, corrupt
// or oversized data, and for a file without a frame or with an empty logical
// screen. Leniency: once one frame is complete, the data may end anywhere;
// what follows the last complete frame is ignored (a missing trailer, a cut-off
// last frame). Pixels the LZW data does not cover keep index 0; surplus pixels
// are ignored. Frames may reach beyond the logical screen; the compositor
// clips them.
Image decode(std::span<const uint8_t> data, const Limits& limits = {});

// Composes the frames of an Image as GIF89a prescribes. Canvas: RGB, rows
// from the top, width * height * 3 bytes (red, green, blue). The Image must
// outlive the compositor. Passes: a loop count of N plays N passes, 0 plays
// without end, no looping extension plays once. Colour indices beyond a
// frame's palette (or any index of a frame without one) draw black.
class Compositor {
public:
    // Throws zelk::Error when a frame's indices do not match its size.
    explicit Compositor(const Image& image);
    // The compositor keeps a reference: a temporary Image would be gone
    // before the first frame is drawn.
    explicit Compositor(const Image&& image) = delete;
    // The composed picture of the current frame.
    const std::vector<uint8_t>& canvas() const;
    int currentFrame() const;
    // Next frame; after the last one, back to the first while passes remain
    // (filling the last frame's rectangle with the background first), else stay.
    void advance();

private:
    void fillRect(const Frame& frame, const uint8_t* rgb);
    void saveRect(const Frame& frame);
    void restoreRect(const Frame& frame);
    void draw(const Frame& frame);
    void dispose(const Frame& frame);

    const Image& image_;
    std::vector<uint8_t> canvas_;
    std::vector<uint8_t> saved_;  // what lay beneath a frame with disposal 3
    uint8_t background_[3] = {0, 0, 0};
    size_t current_ = 0;
    uint32_t passesDone_ = 0;
};

}  // namespace zelk::gif
