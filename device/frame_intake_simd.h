#pragma once
// Vector inner loops of the frame intake, for processors that have them.
// Each handles whole blocks of 16 pixels and returns how many pixels it did;
// the caller finishes the rest with the plain loops.
#include <cstddef>
#include <cstdint>

namespace zelk::device::simd {

bool available();
// dst := src with red and blue of every pixel exchanged.
size_t swapPixels(const uint8_t* src, uint8_t* dst, size_t count);
// The same, and mask := the mask byte of every pixel (threshold or exact rule).
size_t swapAndMaskPixels(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t count,
                         bool exactColorMatch);

}  // namespace zelk::device::simd
