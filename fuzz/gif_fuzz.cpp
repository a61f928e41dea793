#include "fuzz/gif_fuzz.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "core/error.h"
#include "core/gif.h"

namespace zelk::gif_fuzz {
namespace {

void require(bool condition, const char* what) {
    if (!condition) throw std::logic_error(std::string("GIF decoder broke a promise: ") + what);
}

void checkImage(const gif::Image& image, const gif::Limits& limits) {
    require(image.width > 0 && image.height > 0, "empty logical screen accepted");
    require(image.width <= limits.maxSide && image.height <= limits.maxSide, "screen above the limit");
    require(!image.frames.empty() && image.frames.size() <= limits.maxFrames, "frame count");
    uint64_t pixels = 0;
    for (const gif::Frame& f : image.frames) {
        require(f.width >= 0 && f.height >= 0 && f.width <= limits.maxSide && f.height <= limits.maxSide,
                "frame size");
        require(f.indices.size() == static_cast<size_t>(f.width) * static_cast<size_t>(f.height),
                "indices for the frame size");
        require(f.palette.size() <= 256, "palette size");
        require(f.transparentIndex >= -1 && f.transparentIndex <= 255, "transparent index");
        pixels += f.indices.size();
    }
    require(pixels <= limits.maxPixelsTotal, "pixels in all");
}

// Three passes' worth of advances: the frame number must follow the loop
// count, and the canvas keeps its size.
void compose(const gif::Image& image) {
    gif::Compositor compositor(image);
    const size_t canvasSize = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3;
    const int frames = static_cast<int>(image.frames.size());
    const int passes = image.loopCount.value_or(1) == 0 ? 3 : std::min<int>(image.loopCount.value_or(1), 3);
    for (int pass = 0; pass < 3; ++pass) {
        for (int i = 0; i < frames; ++i) {
            const int expected = pass < passes ? i : frames - 1;
            require(compositor.currentFrame() == expected, "frame number");
            require(compositor.canvas().size() == canvasSize, "canvas size");
            compositor.advance();
        }
    }
}

}  // namespace

void fuzz(std::span<const uint8_t> data) {
    // Smaller than the product's limits so each input stays quick.
    const gif::Limits limits{.maxSide = 1024, .maxPixelsTotal = 4u << 20, .maxFrames = 1000};
    gif::Image image;
    try {
        image = gif::decode(data, limits);
    } catch (const Error&) {
        return;  // refused cleanly
    }
    checkImage(image, limits);
    compose(image);
}

}  // namespace zelk::gif_fuzz
