// The shade conversion with AVX-512 byte permutes (VBMI), 64 pixels a step:
// for each 64 bytes of RGB, one permute spreads the shades to the bytes of
// their pixels, the byte's colour picks a third of the 48-byte table, and a
// second permute looks the colour up. The last, partial block is masked, so
// nothing outside the pixels is touched and the loop does every pixel.
#include "device/intake/shade_frame_simd.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include "device/intake/avx512_bytes.h"

namespace zelk::device::simd {
namespace {

// Byte j of output part `part` belongs to pixel (64 part + j) / 3.
constexpr Bytes64 spread(int part) {
    Bytes64 table{};
    for (int j = 0; j < 64; ++j) table[j] = static_cast<uint8_t>((64 * part + j) / 3);
    return table;
}

// ... and its colour's 16 table entries start at 16 times its colour.
constexpr Bytes64 colourOffsets(int part) {
    Bytes64 table{};
    for (int j = 0; j < 64; ++j) table[j] = static_cast<uint8_t>(16 * ((64 * part + j) % 3));
    return table;
}

alignas(64) constexpr std::array<Bytes64, 3> kSpread = {spread(0), spread(1), spread(2)};
alignas(64) constexpr std::array<Bytes64, 3> kOffset = {colourOffsets(0), colourOffsets(1), colourOffsets(2)};

// A full permute. (GCC 12 warns about the unmasked intrinsic's undefined
// start value; the zero-masked one with every bit set is the same instruction.)
ZELK_AVX512 inline __m512i permute(__m512i index, __m512i bytes) {
    return _mm512_maskz_permutexvar_epi8(~__mmask64{0}, index, bytes);
}

// One block of `pixels` (1 to 64) pixels.
ZELK_AVX512 inline void block(const uint8_t* shades, uint8_t* rgb, size_t pixels, __m512i table) {
    const __m512i shade =
        _mm512_min_epu8(_mm512_maskz_loadu_epi8(firstBits(pixels), shades), _mm512_set1_epi8(15));
    const size_t bytes = 3 * pixels;
    for (size_t part = 0; part < 3; ++part) {
        const size_t done = 64 * part;
        if (bytes <= done) return;
        const __m512i index = _mm512_or_si512(permute(load64(kSpread[part]), shade),
                                              load64(kOffset[part]));
        _mm512_mask_storeu_epi8(rgb + done, firstBits(bytes - done), permute(index, table));
    }
}

}  // namespace

ZELK_AVX512 size_t shadesToRgbAvx512(const uint8_t* shades, uint8_t* rgb, size_t count, const uint8_t* table) {
    const __m512i colours = _mm512_maskz_loadu_epi8(firstBits(48), table);
    size_t at = 0;
    for (; at + kBlock <= count; at += kBlock) block(shades + at, rgb + 3 * at, kBlock, colours);
    if (at < count) block(shades + at, rgb + 3 * at, count - at, colours);
    return count;
}

}  // namespace zelk::device::simd

#else

namespace zelk::device::simd {

size_t shadesToRgbAvx512(const uint8_t*, uint8_t*, size_t, const uint8_t*) { return 0; }

}  // namespace zelk::device::simd

#endif
