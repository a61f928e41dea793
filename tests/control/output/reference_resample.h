#pragma once
// A plain, step-by-step rendering of the DMD output's definition, kept apart
// from the optimised code: copy and convert the whole source to 24 bits,
// resample it with every factor computed per pixel, then swap the byte order.
// The tests compare the product code with it on many sizes and formats.
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "control/output/source_bitmap.h"
#include "core/bitmap24.h"

namespace zelk::control::testing {

inline Bitmap24 referenceConvert(const SourceBitmap& s) {
    Bitmap24 copy(s.width, s.height);
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x) {
            const uint8_t* p = s.pixels + static_cast<size_t>(y) * s.stride;
            uint8_t* q = copy.row(y) + static_cast<size_t>(x) * 3;
            switch (s.format) {
                case PixelFormat::Palette8: {
                    const PaletteEntry& e = s.palette[p[x]];
                    q[0] = e.blue, q[1] = e.green, q[2] = e.red;
                    break;
                }
                case PixelFormat::Bgr24:
                    q[0] = p[3 * x], q[1] = p[3 * x + 1], q[2] = p[3 * x + 2];
                    break;
                case PixelFormat::Bgra32:
                    q[0] = p[4 * x], q[1] = p[4 * x + 1], q[2] = p[4 * x + 2];
                    break;
            }
        }
    return copy;
}

inline float addTerm(float sum, uint8_t byte, float weight) {
    return static_cast<float>(static_cast<double>(sum) +
                              static_cast<double>(byte) * static_cast<double>(weight));
}

inline Bitmap24 referenceResize(const Bitmap24& src, int32_t w, int32_t h) {
    const int32_t W = src.width, H = src.height;
    if (W < 2 || H < 2) throw std::invalid_argument("too small");
    Bitmap24 dst(w, h);
    const float sx = static_cast<float>(static_cast<double>(w) / (W - 1));
    const float sy = static_cast<float>(static_cast<double>(h) / (H - 1));
    for (int32_t y = 0; y < h; ++y) {
        const float fy = static_cast<float>(y / static_cast<double>(sy));
        const int32_t iy = static_cast<int32_t>(std::trunc(fy));
        const float ty = fy - static_cast<float>(iy);
        const float wy0 = 1.0f - ty, wy1 = ty;
        for (int32_t x = 0; x < w; ++x) {
            const float fx = static_cast<float>(x / static_cast<double>(sx));
            const int32_t ix = static_cast<int32_t>(std::trunc(fx));
            const float tx = fx - static_cast<float>(ix);
            const float wx0 = 1.0f - tx, wx1 = tx;
            const float w00 = static_cast<float>(static_cast<double>(wx0) * wy0);
            const float w01 = static_cast<float>(static_cast<double>(wx0) * wy1);
            const float w10 = static_cast<float>(static_cast<double>(wx1) * wy0);
            const float w11 = static_cast<float>(static_cast<double>(wx1) * wy1);
            for (size_t c = 0; c < 3; ++c) {
                auto at = [&](int32_t px, int32_t py) {
                    return src.row(py)[static_cast<size_t>(px) * 3 + c];
                };
                float sum = 0.0f;
                sum = addTerm(sum, at(ix, iy), w00);
                sum = addTerm(sum, at(ix, iy + 1), w01);
                sum = addTerm(sum, at(ix + 1, iy), w10);
                sum = addTerm(sum, at(ix + 1, iy + 1), w11);
                const float rounded = std::nearbyint(sum);
                if (rounded < 0.0f || rounded > 255.0f) throw std::logic_error("out of range");
                dst.row(y)[static_cast<size_t>(x) * 3 + c] = static_cast<uint8_t>(rounded);
            }
        }
    }
    return dst;
}

// The frame the DMD should receive for a source of at least 2x2 pixels.
inline std::vector<uint8_t> referenceFrame(const SourceBitmap& source) {
    Bitmap24 copy = referenceConvert(source);
    if (copy.width != 128 || copy.height != 32) copy = referenceResize(copy, 128, 32);
    std::vector<uint8_t> frame;
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 128; ++x) {
            const uint8_t* p = copy.row(y) + static_cast<size_t>(x) * 3;
            frame.insert(frame.end(), {p[2], p[1], p[0]});
        }
    return frame;
}

}  // namespace zelk::control::testing
