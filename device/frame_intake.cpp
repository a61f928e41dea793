#include "device/frame_intake.h"

#include <cstddef>

namespace zelk::device {
namespace {

void swapRow(const uint8_t* src, uint8_t* dst, size_t count) {
    for (size_t x = 0; x < count; ++x) {
        dst[3 * x] = src[3 * x + 2];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x];
    }
}

template <bool Exact>
void swapAndMaskRow(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t count) {
    for (size_t x = 0; x < count; ++x) {
        const uint8_t r = src[3 * x];
        const uint8_t g = src[3 * x + 1];
        const uint8_t b = src[3 * x + 2];
        dst[3 * x] = b;
        dst[3 * x + 1] = g;
        dst[3 * x + 2] = r;
        mask[x] = maskByte(r, g, b, Exact);
    }
}

}  // namespace

void copyFrameToBitmap(const uint8_t* rgb, Bitmap24& bitmap) {
    swapRow(rgb, bitmap.pixels.data(), static_cast<size_t>(bitmap.width) * bitmap.height);
}

void copyFrameAndMask(const uint8_t* rgb, Bitmap24& bitmap, TZelkFrame& live, bool exactColorMatch) {
    const size_t width = static_cast<size_t>(bitmap.width);
    const size_t maskWidth = static_cast<size_t>(live.fWidth);
    if (maskWidth == width) {
        // The usual case: mask rows and frame rows line up, so the masked
        // part of the frame is one run.
        const size_t maskedPixels = width * static_cast<size_t>(live.fHeight);
        if (exactColorMatch) {
            swapAndMaskRow<true>(rgb, bitmap.pixels.data(), live.Frame.data(), maskedPixels);
        } else {
            swapAndMaskRow<false>(rgb, bitmap.pixels.data(), live.Frame.data(), maskedPixels);
        }
        const size_t total = width * static_cast<size_t>(bitmap.height);
        swapRow(rgb + maskedPixels * 3, bitmap.pixels.data() + maskedPixels * 3, total - maskedPixels);
        return;
    }
    for (int32_t y = 0; y < bitmap.height; ++y) {
        const uint8_t* src = rgb + static_cast<size_t>(y) * width * 3;
        uint8_t* dst = bitmap.row(y);
        if (y >= live.fHeight) {
            swapRow(src, dst, width);
            continue;
        }
        if (exactColorMatch) {
            swapAndMaskRow<true>(src, dst, live.row(y), maskWidth);
        } else {
            swapAndMaskRow<false>(src, dst, live.row(y), maskWidth);
        }
        swapRow(src + maskWidth * 3, dst + maskWidth * 3, width - maskWidth);
    }
}

}  // namespace zelk::device
