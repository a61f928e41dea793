#include "device/frame_intake.h"

#include <cstddef>

#include "device/frame_intake_simd.h"

namespace zelk::device {
namespace {

bool& vectorLoops() {
    static bool enabled = simd::available();
    return enabled;
}

void swapRow(const uint8_t* src, uint8_t* dst, size_t count) {
    const size_t done = vectorLoops() ? simd::swapPixels(src, dst, count) : 0;
    for (size_t x = done; x < count; ++x) {
        dst[3 * x] = src[3 * x + 2];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x];
    }
}

template <bool Exact>
void swapAndMaskTail(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t from, size_t count) {
    for (size_t x = from; x < count; ++x) {
        const uint8_t r = src[3 * x];
        const uint8_t g = src[3 * x + 1];
        const uint8_t b = src[3 * x + 2];
        dst[3 * x] = b;
        dst[3 * x + 1] = g;
        dst[3 * x + 2] = r;
        mask[x] = maskByte(r, g, b, Exact);
    }
}

void swapAndMaskRow(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t count, bool exact) {
    const size_t done = vectorLoops() ? simd::swapAndMaskPixels(src, dst, mask, count, exact) : 0;
    if (exact) {
        swapAndMaskTail<true>(src, dst, mask, done, count);
    } else {
        swapAndMaskTail<false>(src, dst, mask, done, count);
    }
}

}  // namespace

void useVectorIntake(bool enabled) { vectorLoops() = enabled && simd::available(); }
bool vectorIntakeInUse() { return vectorLoops(); }

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
        swapAndMaskRow(rgb, bitmap.pixels.data(), live.Frame.data(), maskedPixels, exactColorMatch);
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
        swapAndMaskRow(src, dst, live.row(y), maskWidth, exactColorMatch);
        swapRow(src + maskWidth * 3, dst + maskWidth * 3, width - maskWidth);
    }
}

}  // namespace zelk::device
