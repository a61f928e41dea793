#pragma once
// A 24-bit bitmap: rows from the top, pixels stored blue, green, red, rows
// packed without padding (stride = width * 3). Used for the plug-in's frame
// bitmap, the trigger pictures and the control program's working copies.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelk {

struct Bitmap24 {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;  // width * height * 3 bytes, B, G, R

    Bitmap24() = default;
    Bitmap24(int32_t w, int32_t h)
        : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h) * 3) {}

    size_t stride() const { return static_cast<size_t>(width) * 3; }
    uint8_t* row(int32_t y) { return pixels.data() + static_cast<size_t>(y) * stride(); }
    const uint8_t* row(int32_t y) const { return pixels.data() + static_cast<size_t>(y) * stride(); }
};

}  // namespace zelk
