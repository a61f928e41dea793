// The frame intake's inner loops with AVX-512 byte permutes (VBMI), 64 pixels
// a step: one two-register permute makes each 64 bytes of the BGR frame, and
// two gather each colour plane of the mask. Loads and stores of the last,
// partial block are masked, so nothing outside the pixels is touched and
// the loops do every pixel. Chosen at run time by frame_intake.cpp when the
// processor and the system have AVX-512 BW and VBMI.
#include "device/intake/frame_intake_simd.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include "device/intake/avx512_bytes.h"

namespace zelk::device::simd {
namespace {

// Index of the BGR output byte j of a block in the block's 192 input bytes.
constexpr int swappedSource(int j) { return j % 3 == 0 ? j + 2 : (j % 3 == 2 ? j - 2 : j); }

// Permute indices for output part `part`: parts 0 and 1 make parts 0 and 1
// of the output, parts 1 and 2 make part 2. One byte of output part 1 (byte
// 126 of the block, the blue of pixel 42) comes from byte 128, in part 2:
// its index, 128, reads byte 0 of part 2 in a second, masked permute.
constexpr Bytes64 swapIndices(int part) {
    Bytes64 table{};
    const int base = 64 * (part == 2 ? 1 : 0);
    for (int i = 0; i < 64; ++i) table[i] = static_cast<uint8_t>(swappedSource(64 * part + i) - base);
    return table;
}

// Colour `colour` of pixel p is byte 3 p + colour of the block: from parts 0
// and 1 while that is below 128, else from part 2 (indices taken modulo 64 /
// 128 by the permutes).
constexpr Bytes64 planeIndices(int colour) {
    Bytes64 table{};
    for (int p = 0; p < 64; ++p) table[p] = static_cast<uint8_t>((3 * p + colour) % 128);
    return table;
}

alignas(64) constexpr std::array<Bytes64, 3> kSwap = {swapIndices(0), swapIndices(1), swapIndices(2)};
alignas(64) constexpr std::array<Bytes64, 3> kPlane = {planeIndices(0), planeIndices(1), planeIndices(2)};

// The pixels of each colour plane that lie in part 2 (3 p + colour >= 128).
constexpr __mmask64 inPart2(int colour) { return ~0ull << ((128 - colour + 2) / 3); }



ZELK_AVX512 inline __m512i plane(__m512i p0, __m512i p1, __m512i p2, int colour) {
    const __m512i low = _mm512_permutex2var_epi8(p0, load64(kPlane[colour]), p1);
    return _mm512_mask_permutexvar_epi8(low, inPart2(colour), load64(kPlane[colour]), p2);
}

// One block of `pixels` (1 to 64) pixels; mask may be null (no mask wanted).
template <bool Exact>
ZELK_AVX512 inline void block(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t pixels) {
    const size_t bytes = 3 * pixels;
    const __mmask64 m0 = firstBits(bytes);
    const __mmask64 m1 = firstBits(bytes > 64 ? bytes - 64 : 0);
    const __mmask64 m2 = firstBits(bytes > 128 ? bytes - 128 : 0);
    const __m512i p0 = _mm512_maskz_loadu_epi8(m0, src);
    const __m512i p1 = _mm512_maskz_loadu_epi8(m1, src + 64);
    const __m512i p2 = _mm512_maskz_loadu_epi8(m2, src + 128);
    _mm512_mask_storeu_epi8(dst, m0, _mm512_permutex2var_epi8(p0, load64(kSwap[0]), p1));
    const __m512i middle = _mm512_permutex2var_epi8(p0, load64(kSwap[1]), p1);
    _mm512_mask_storeu_epi8(dst + 64, m1,
                            _mm512_mask_permutexvar_epi8(middle, __mmask64{1} << 62, load64(kSwap[1]), p2));
    _mm512_mask_storeu_epi8(dst + 128, m2, _mm512_permutex2var_epi8(p1, load64(kSwap[2]), p2));
    if (!mask) return;
    const __m512i red = plane(p0, p1, p2, 0);
    const __m512i green = plane(p0, p1, p2, 1);
    const __m512i blue = plane(p0, p1, p2, 2);
    __m512i result;
    if (Exact) {
        result = _mm512_or_si512(_mm512_or_si512(red, green), blue);
    } else {
        // Saturating sums decide "sum > 200" exactly.
        const __m512i sum = _mm512_adds_epu8(_mm512_adds_epu8(red, green), blue);
        result = _mm512_movm_epi8(_mm512_cmpgt_epu8_mask(sum, _mm512_set1_epi8(static_cast<char>(200))));
    }
    _mm512_mask_storeu_epi8(mask, firstBits(pixels), result);
}

template <bool Exact>
ZELK_AVX512 size_t blocks(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t count) {
    size_t at = 0;
    for (; at + kBlock <= count; at += kBlock) {
        block<Exact>(src + 3 * at, dst + 3 * at, mask ? mask + at : nullptr, kBlock);
    }
    if (at < count) block<Exact>(src + 3 * at, dst + 3 * at, mask ? mask + at : nullptr, count - at);
    return count;
}

}  // namespace

bool avx512Available() {
    return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
}

size_t swapPixelsAvx512(const uint8_t* src, uint8_t* dst, size_t count) {
    return blocks<false>(src, dst, nullptr, count);
}

size_t swapAndMaskPixelsAvx512(const uint8_t* src, uint8_t* dst, uint8_t* mask, size_t count,
                               bool exactColorMatch) {
    return exactColorMatch ? blocks<true>(src, dst, mask, count) : blocks<false>(src, dst, mask, count);
}

}  // namespace zelk::device::simd

#else

namespace zelk::device::simd {

bool avx512Available() { return false; }
size_t swapPixelsAvx512(const uint8_t*, uint8_t*, size_t) { return 0; }
size_t swapAndMaskPixelsAvx512(const uint8_t*, uint8_t*, uint8_t*, size_t, bool) { return 0; }

}  // namespace zelk::device::simd

#endif
