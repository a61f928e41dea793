#include "device/intake/frame_intake.h"

#include <cstddef>

#include "device/intake/frame_intake_simd.h"

namespace zelk::device {
namespace {

size_t noPixels(const uint8_t*, uint8_t*, size_t) { return 0; }
size_t noMaskedPixels(const uint8_t*, uint8_t*, uint8_t*, size_t, bool) { return 0; }

// The vector loops in use; each does a leading run of the pixels.
struct VectorLoops {
    IntakeLoops kind;
    size_t (*swap)(const uint8_t* src, uint8_t* dst, size_t count);
    size_t (*swapAndMask)(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t count, bool exact);
};

VectorLoops loopsFor(IntakeLoops wanted) {
    if (wanted == IntakeLoops::avx512 && simd::avx512Available()) {
        return {IntakeLoops::avx512, simd::swapPixelsAvx512, simd::swapAndMaskPixelsAvx512};
    }
    if (wanted >= IntakeLoops::avx2 && simd::avx2Available()) {
        return {IntakeLoops::avx2, simd::swapPixelsAvx2, simd::swapAndMaskPixelsAvx2};
    }
    if (wanted != IntakeLoops::plain && simd::ssse3Available()) {
        return {IntakeLoops::ssse3, simd::swapPixelsSsse3, simd::swapAndMaskPixelsSsse3};
    }
    return {IntakeLoops::plain, noPixels, noMaskedPixels};
}

VectorLoops& vectorLoops() {
    static VectorLoops loops = loopsFor(IntakeLoops::avx512);
    return loops;
}

void swapRow(const uint8_t* src, uint8_t* dst, size_t count) {
    const size_t done = vectorLoops().swap(src, dst, count);
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
    const size_t done = vectorLoops().swapAndMask(src, dst, mask, count, exact);
    if (exact) {
        swapAndMaskTail<true>(src, dst, mask, done, count);
    } else {
        swapAndMaskTail<false>(src, dst, mask, done, count);
    }
}

}  // namespace

IntakeLoops useIntakeLoops(IntakeLoops wanted) {
    vectorLoops() = loopsFor(wanted);
    return vectorLoops().kind;
}

IntakeLoops intakeLoopsInUse() { return vectorLoops().kind; }

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
