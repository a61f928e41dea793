// The shade conversion with SSSE3 byte shuffles, 16 pixels a step: three
// 16-entry look-ups make the red, green and blue planes, and three shuffles
// per output vector interleave them into RGB.
#include "device/intake/shade_frame_simd.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

#include <array>

#define ZELK_SSSE3 __attribute__((target("ssse3")))

namespace zelk::device::simd {
namespace {

using Lanes = std::array<uint8_t, 16>;

// Lane l of output vector `out` is byte 16 out + l of the 16 pixels' RGB:
// from plane `colour` when that byte is of that colour, else zero (0x80).
constexpr Lanes interleave(int out, int colour) {
    Lanes lanes{};
    for (int l = 0; l < 16; ++l) {
        const int byte = 16 * out + l;
        lanes[l] = byte % 3 == colour ? static_cast<uint8_t>(byte / 3) : 0x80;
    }
    return lanes;
}

alignas(16) constexpr std::array<std::array<Lanes, 3>, 3> kInterleave = {{
    {interleave(0, 0), interleave(0, 1), interleave(0, 2)},
    {interleave(1, 0), interleave(1, 1), interleave(1, 2)},
    {interleave(2, 0), interleave(2, 1), interleave(2, 2)},
}};

ZELK_SSSE3 inline __m128i load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

ZELK_SSSE3 inline __m128i lanes(const Lanes& table) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(table.data()));
}

}  // namespace

ZELK_SSSE3 size_t shadesToRgbSsse3(const uint8_t* shades, uint8_t* rgb, size_t count, const uint8_t* table) {
    const __m128i reds = load(table);
    const __m128i greens = load(table + 16);
    const __m128i blues = load(table + 32);
    const __m128i top = _mm_set1_epi8(15);
    size_t x = 0;
    for (; x + 16 <= count; x += 16) {
        const __m128i shade = _mm_min_epu8(load(shades + x), top);
        const __m128i planes[3] = {_mm_shuffle_epi8(reds, shade), _mm_shuffle_epi8(greens, shade),
                                   _mm_shuffle_epi8(blues, shade)};
        for (int out = 0; out < 3; ++out) {
            const __m128i r = _mm_shuffle_epi8(planes[0], lanes(kInterleave[out][0]));
            const __m128i g = _mm_shuffle_epi8(planes[1], lanes(kInterleave[out][1]));
            const __m128i b = _mm_shuffle_epi8(planes[2], lanes(kInterleave[out][2]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(rgb + 3 * x + 16 * out), _mm_or_si128(_mm_or_si128(r, g), b));
        }
    }
    return x;
}

}  // namespace zelk::device::simd

#else

namespace zelk::device::simd {

size_t shadesToRgbSsse3(const uint8_t*, uint8_t*, size_t, const uint8_t*) { return 0; }

}  // namespace zelk::device::simd

#endif
