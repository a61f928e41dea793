#pragma once
// TZelkFrame: the mask of a picture, one byte per pixel, rows from the top
// without gaps. The threshold rule marks a pixel 255 when its three colour
// bytes sum to more than 200 and 0 otherwise; the exact rule keeps the bitwise
// or of the three bytes. Both rules are symmetric, so the byte order of the
// pixel (RGB frame or BGR bitmap) does not matter.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/bitmap24.h"

namespace zelk::device {

inline uint8_t maskByte(uint8_t a, uint8_t b, uint8_t c, bool exactColorMatch) {
    if (exactColorMatch) return static_cast<uint8_t>(a | b | c);
    // Branch-free so that row loops vectorise: 0 - 1 is 255.
    return static_cast<uint8_t>(0u - static_cast<unsigned>(a + b + c > 200));
}

// Masks count pixels of 3 bytes each into count mask bytes.
void maskRow(const uint8_t* pixels, uint8_t* mask, size_t count, bool exactColorMatch);

class TZelkFrame {
public:
    // The mask of the whole of bmp.
    TZelkFrame(const Bitmap24& bmp, bool exactColorMatch);

    // Recomputes every byte from the top-left fWidth x fHeight pixels of bmp.
    // A bitmap smaller than the mask in either direction leaves the mask as it
    // was and returns false: the mask never reads past a picture.
    bool updateFrame(const Bitmap24& bmp, bool exactColorMatch);

    int32_t fHeight = 0;
    int32_t fWidth = 0;
    std::vector<uint8_t> Frame;

    uint8_t* row(int32_t y) { return Frame.data() + static_cast<size_t>(y) * fWidth; }
    const uint8_t* row(int32_t y) const { return Frame.data() + static_cast<size_t>(y) * fWidth; }
};

}  // namespace zelk::device
