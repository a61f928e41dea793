#pragma once
// What the AVX-512 byte-permute loops (frame_intake_avx512.cpp,
// shade_frame_avx512.cpp) share. Include only where the x86 intrinsics are
// available; the functions are compiled for AVX-512 and called only after
// the processor was found to have it.
#include <immintrin.h>

#include <array>
#include <cstddef>
#include <cstdint>

#define ZELK_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

namespace zelk::device::simd {

constexpr size_t kBlock = 64;  // pixels a step

// A table of 64 byte indices or values, loaded whole into one register.
using Bytes64 = std::array<uint8_t, 64>;

ZELK_AVX512 inline __m512i load64(const Bytes64& table) {
    return _mm512_load_si512(reinterpret_cast<const void*>(table.data()));
}

// The first n bits.
constexpr __mmask64 firstBits(size_t n) { return n >= 64 ? ~0ull : (1ull << n) - 1; }

}  // namespace zelk::device::simd
