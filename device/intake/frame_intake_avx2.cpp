// The frame intake's inner loops with AVX2, 32 pixels a step. Exchanging red
// and blue moves every byte by -2, 0 or +2 places, so each 32 output bytes
// are a byte blend of three loads of the frame two bytes apart: no shuffle.
// The mask adds each pixel's three bytes from loads one byte apart and then
// gathers every third byte (one exchange of 128-bit lanes and three in-lane
// shuffles for 32 pixels). Chosen at run time by frame_intake.cpp when the
// processor and the system have AVX2.
#include "device/intake/frame_intake_simd.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

#include <array>

namespace zelk::device::simd {
namespace {

constexpr size_t kBlock = 32;  // pixels a step
// Pixels done by the SSSE3 loops first: a block loads from two bytes before
// its first pixel, which must lie inside the frame.
constexpr size_t kLead = 16;

using Bytes32 = std::array<uint8_t, 32>;
using BlockTable = std::array<Bytes32, 3>;  // [output vector of the block][byte]

// 0x80 at the bytes of each output vector that hold colour `position` (0, 1
// or 2) of their pixel.
constexpr BlockTable bytesAt(int position) {
    BlockTable table{};
    for (int part = 0; part < 3; ++part) {
        for (int i = 0; i < 32; ++i) table[part][i] = (32 * part + i) % 3 == position ? 0x80 : 0;
    }
    return table;
}

// Shuffle of vector `part` in the mask gather, the same in both 128-bit
// lanes: bytes 0-5 of a lane take bytes 0, 3 .. 15 of part 0, bytes 6-10
// take 2, 5 .. 14 of part 1, bytes 11-15 take 1, 4 .. 13 of part 2.
constexpr Bytes32 gatherTable(int part) {
    Bytes32 table{};
    for (int i = 0; i < 32; ++i) {
        const int lane = i % 16;
        const int owner = lane < 6 ? 0 : (lane < 11 ? 1 : 2);
        table[i] = owner == part ? static_cast<uint8_t>(3 * lane - 16 * owner) : 0x80;
    }
    return table;
}

alignas(32) constexpr BlockTable kFirstBytes = bytesAt(0);
alignas(32) constexpr BlockTable kLastBytes = bytesAt(2);
alignas(32) constexpr BlockTable kGather = {gatherTable(0), gatherTable(1), gatherTable(2)};

__attribute__((target("avx2"))) inline __m256i load(const uint8_t* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

__attribute__((target("avx2"))) inline __m256i constant(const Bytes32& table) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(table.data()));
}

__attribute__((target("avx2"))) inline void store(uint8_t* at, __m256i value) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), value);
}

// Output part `part` (32 bytes) of a block, red and blue exchanged: the
// first byte of a pixel comes from two bytes on, the last from two back.
// here, on2 and back2: the part's frame bytes at shifts 0, +2 and -2.
__attribute__((target("avx2"))) inline __m256i swapped(__m256i here, __m256i on2, __m256i back2, int part) {
    const __m256i first = _mm256_blendv_epi8(here, on2, constant(kFirstBytes[part]));
    return _mm256_blendv_epi8(first, back2, constant(kLastBytes[part]));
}

// At the first byte of each pixel: red + green + blue (saturating; "sum >
// 200" reads the same on bytes) or, for the exact rule, red | green | blue.
template <bool Exact>
__attribute__((target("avx2"))) inline __m256i combined(__m256i red, __m256i green, __m256i blue) {
    if (Exact) return _mm256_or_si256(_mm256_or_si256(red, green), blue);
    return _mm256_adds_epu8(_mm256_adds_epu8(red, green), blue);
}

// The 32 mask bytes of a block from the combined bytes of its three parts.
template <bool Exact>
__attribute__((target("avx2"))) inline __m256i maskOf(__m256i s0, __m256i s1, __m256i s2) {
    // Lane l of a, b and c then holds the bytes of pixels 16 l .. 16 l + 15.
    const __m256i a = _mm256_blend_epi32(s0, s1, 0xF0);
    const __m256i b = _mm256_permute2x128_si256(s0, s2, 0x21);
    const __m256i c = _mm256_blend_epi32(s1, s2, 0xF0);
    const __m256i bytes = _mm256_or_si256(
        _mm256_or_si256(_mm256_shuffle_epi8(a, constant(kGather[0])), _mm256_shuffle_epi8(b, constant(kGather[1]))),
        _mm256_shuffle_epi8(c, constant(kGather[2])));
    if (Exact) return bytes;
    const __m256i threshold = _mm256_set1_epi8(static_cast<char>(201));
    return _mm256_cmpeq_epi8(_mm256_max_epu8(bytes, threshold), bytes);
}

// One block: reads src - 2 .. src + 98. Everything is loaded before anything
// is stored, as the stores might alias the frame for all the compiler knows
// and it would load the frame again after them.
template <bool Exact>
__attribute__((target("avx2"))) inline void swapAndMaskBlock(const uint8_t* src, uint8_t* dst, uint8_t* mask) {
    const __m256i back0 = load(src - 2), here0 = load(src), on1_0 = load(src + 1), on2_0 = load(src + 2);
    const __m256i back1 = load(src + 30), here1 = load(src + 32), on1_1 = load(src + 33), on2_1 = load(src + 34);
    const __m256i back2 = load(src + 62), here2 = load(src + 64), on1_2 = load(src + 65), on2_2 = load(src + 66);
    store(dst, swapped(here0, on2_0, back0, 0));
    store(dst + 32, swapped(here1, on2_1, back1, 1));
    store(dst + 64, swapped(here2, on2_2, back2, 2));
    store(mask, maskOf<Exact>(combined<Exact>(here0, on1_0, on2_0), combined<Exact>(here1, on1_1, on2_1),
                              combined<Exact>(here2, on1_2, on2_2)));
}

__attribute__((target("avx2"))) inline void swapBlock(const uint8_t* src, uint8_t* dst) {
    const __m256i back0 = load(src - 2), here0 = load(src), on2_0 = load(src + 2);
    const __m256i back1 = load(src + 30), here1 = load(src + 32), on2_1 = load(src + 34);
    const __m256i back2 = load(src + 62), here2 = load(src + 64), on2_2 = load(src + 66);
    store(dst, swapped(here0, on2_0, back0, 0));
    store(dst + 32, swapped(here1, on2_1, back1, 1));
    store(dst + 64, swapped(here2, on2_2, back2, 2));
}

// Blocks from pixel kLead on while a pixel follows the block (its loads reach
// two bytes past it); returns the pixel after the last block.
template <bool Exact>
__attribute__((target("avx2"))) size_t swapAndMaskBlocks(const uint8_t* src, uint8_t* dst, uint8_t* mask,
                                                         size_t count) {
    size_t at = kLead;
    for (; at + kBlock < count; at += kBlock) {
        swapAndMaskBlock<Exact>(src + 3 * at, dst + 3 * at, mask + at);
    }
    return at;
}

}  // namespace

bool avx2Available() { return __builtin_cpu_supports("avx2"); }

__attribute__((target("avx2"))) size_t swapPixelsAvx2(const uint8_t* src, uint8_t* dst, size_t count) {
    if (count <= kLead + kBlock) return swapPixelsSsse3(src, dst, count);
    size_t at = swapPixelsSsse3(src, dst, kLead);
    for (; at + kBlock < count; at += kBlock) swapBlock(src + 3 * at, dst + 3 * at);
    return at + swapPixelsSsse3(src + 3 * at, dst + 3 * at, count - at);
}

__attribute__((target("avx2"))) size_t swapAndMaskPixelsAvx2(const uint8_t* src, uint8_t* dst, uint8_t* mask,
                                                             size_t count, bool exactColorMatch) {
    if (count <= kLead + kBlock) return swapAndMaskPixelsSsse3(src, dst, mask, count, exactColorMatch);
    swapAndMaskPixelsSsse3(src, dst, mask, kLead, exactColorMatch);
    const size_t at = exactColorMatch ? swapAndMaskBlocks<true>(src, dst, mask, count)
                                      : swapAndMaskBlocks<false>(src, dst, mask, count);
    return at + swapAndMaskPixelsSsse3(src + 3 * at, dst + 3 * at, mask + at, count - at, exactColorMatch);
}

}  // namespace zelk::device::simd

#else

namespace zelk::device::simd {

bool avx2Available() { return false; }
size_t swapPixelsAvx2(const uint8_t*, uint8_t*, size_t) { return 0; }
size_t swapAndMaskPixelsAvx2(const uint8_t*, uint8_t*, uint8_t*, size_t, bool) { return 0; }

}  // namespace zelk::device::simd

#endif
