#pragma once
// Vector inner loops of the frame intake, for processors that have them.
// Each handles a leading run of the pixels and returns how many it did; the
// caller finishes the rest with the plain loops. None reads or writes outside
// the count pixels it is given.
#include <cstddef>
#include <cstdint>

namespace zelk::device::simd {

// SSSE3 (frame_intake_x86.cpp): byte shuffles, blocks of 16 pixels.
bool ssse3Available();
// dst := src with red and blue of every pixel exchanged.
size_t swapPixelsSsse3(const uint8_t* src, uint8_t* dst, size_t count);
// The same, and mask := the mask byte of every pixel (threshold or exact rule).
size_t swapAndMaskPixelsSsse3(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t count,
                              bool exactColorMatch);

// AVX2 (frame_intake_avx2.cpp): byte blends of shifted loads, blocks of 32
// pixels; the first and last pixels go through the SSSE3 loops.
bool avx2Available();
size_t swapPixelsAvx2(const uint8_t* src, uint8_t* dst, size_t count);
size_t swapAndMaskPixelsAvx2(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t count,
                             bool exactColorMatch);

// AVX-512 with byte permutes (frame_intake_avx512.cpp): blocks of 64 pixels,
// the last one masked; does every pixel.
bool avx512Available();
size_t swapPixelsAvx512(const uint8_t* src, uint8_t* dst, size_t count);
size_t swapAndMaskPixelsAvx512(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t count,
                               bool exactColorMatch);

}  // namespace zelk::device::simd
