#pragma once
// gifBitmap: the 8-bit drawing target of the GIF animation, the size of the
// GIF's logical screen, with the halftone palette. Drawing reduces the
// compositor's full-colour picture to that palette, each pixel taking the
// nearest palette colour.
#include <cstdint>
#include <vector>

#include "control/output/source_bitmap.h"
#include "core/halftone_palette.h"

namespace zelk::control {

class GifBitmap {
public:
    // Throws zelk::Error for a width or height below 1. The quantiser holds
    // the halftone palette and must outlive the bitmap.
    GifBitmap(int32_t width, int32_t height, const HalftoneQuantiser& quantiser);
    // Kept by reference, so a temporary quantiser is refused.
    GifBitmap(int32_t width, int32_t height, const HalftoneQuantiser&& quantiser) = delete;

    // canvas: width * height * 3 bytes, red, green, blue, rows from the top.
    // Throws zelk::Error when its size does not fit the bitmap.
    void draw(const std::vector<uint8_t>& canvas);

    SourceBitmap view() const;

private:
    int32_t width_, height_;
    const HalftoneQuantiser& quantiser_;
    std::vector<uint8_t> indices_;
};

}  // namespace zelk::control
