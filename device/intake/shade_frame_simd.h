#pragma once
// Vector loops of the shade conversion (shade_frame.cpp), for processors that
// have them. Each converts a leading run of the pixels and returns how many
// it did; none reads or writes outside the count pixels it is given. table:
// the 16 reds, then the 16 greens, then the 16 blues of the shades 0 to 15
// (values above 15 are clamped before the look-up).
#include <cstddef>
#include <cstdint>

namespace zelk::device::simd {

// SSSE3 (shade_frame_x86.cpp): blocks of 16 pixels.
size_t shadesToRgbSsse3(const uint8_t* shades, uint8_t* rgb, size_t count, const uint8_t* table);
// AVX-512 with byte permutes (shade_frame_avx512.cpp): blocks of 64 pixels,
// the last one masked; does every pixel.
size_t shadesToRgbAvx512(const uint8_t* shades, uint8_t* rgb, size_t count, const uint8_t* table);

}  // namespace zelk::device::simd
