#pragma once
// Source bitmaps built in memory for DMD output tests: any size, format and
// row padding, filled by a function or with seeded random bytes.
#include <cstdint>
#include <random>
#include <vector>

#include "control/output/source_bitmap.h"

namespace zelk::control::testing {

inline size_t bytesPerPixel(PixelFormat format) {
    return format == PixelFormat::Palette8 ? 1 : format == PixelFormat::Bgr24 ? 3 : 4;
}

struct OwnedSource {
    int32_t width = 0, height = 0;
    PixelFormat format = PixelFormat::Bgr24;
    size_t stride = 0;
    std::vector<uint8_t> bytes;
    Palette256 palette{};

    OwnedSource(int32_t w, int32_t h, PixelFormat f, size_t padding = 0)
        : width(w), height(h), format(f),
          stride(static_cast<size_t>(w) * bytesPerPixel(f) + padding),
          bytes(stride * static_cast<size_t>(h)) {}

    uint8_t* pixel(int32_t x, int32_t y) {
        return bytes.data() + static_cast<size_t>(y) * stride +
               static_cast<size_t>(x) * bytesPerPixel(format);
    }

    void setBgr(int32_t x, int32_t y, uint8_t blue, uint8_t green, uint8_t red,
                uint8_t alpha = 255) {
        uint8_t* p = pixel(x, y);
        p[0] = blue, p[1] = green, p[2] = red;
        if (format == PixelFormat::Bgra32) p[3] = alpha;
    }

    void fillRandom(uint32_t seed) {
        std::mt19937 random(seed);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
        for (PaletteEntry& e : palette)
            e = {static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                 static_cast<uint8_t>(random())};
    }

    SourceBitmap view() const {
        SourceBitmap v;
        v.width = width;
        v.height = height;
        v.format = format;
        v.pixels = bytes.empty() ? nullptr : bytes.data();
        v.stride = stride;
        v.palette = palette.data();
        return v;
    }
};

}  // namespace zelk::control::testing
