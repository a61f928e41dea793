// The frame intake's inner loops with SSSE3 byte shuffles, 16 pixels a step:
// the RGB frame is split into red, green and blue planes (for the mask) and
// rebuilt as BGR (for the frame bitmap) without a per-pixel branch. Chosen at
// run time by frame_intake.cpp when the processor has SSSE3 but not AVX2
// (the AVX2 loops call these for a run's first and last pixels); elsewhere
// (and on processors without it) the plain loops do the work.
#include "device/intake/frame_intake_simd.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

#include <array>

namespace zelk::device::simd {
namespace {

using ShuffleTable = std::array<std::array<uint8_t, 16>, 3>;  // [input vector][lane]

// Lane l of output vector `out` takes byte source(16 * out + l) of the 48
// input bytes; lanes whose source lies in another input vector read 0x80,
// which the shuffle turns into zero.
template <typename Source>
constexpr ShuffleTable shuffleFor(int out, Source source) {
    ShuffleTable table{};
    for (int v = 0; v < 3; ++v) {
        for (int lane = 0; lane < 16; ++lane) {
            const int from = source(16 * out + lane);
            table[v][lane] = (from >= 0 && from / 16 == v) ? static_cast<uint8_t>(from % 16) : 0x80;
        }
    }
    return table;
}

// Planes: lane i of plane c is byte 3i + c.
template <int Channel>
constexpr ShuffleTable planeTable() {
    return shuffleFor(0, [](int i) { return i < 16 ? 3 * i + Channel : -1; });
}

// BGR output byte j is input byte j + 2, j or j - 2 by its place in the pixel.
constexpr int swappedSource(int j) { return j % 3 == 0 ? j + 2 : (j % 3 == 2 ? j - 2 : j); }
template <int Out>
constexpr ShuffleTable swapTable() {
    return shuffleFor(Out, swappedSource);
}

alignas(16) constexpr ShuffleTable kRed = planeTable<0>();
alignas(16) constexpr ShuffleTable kGreen = planeTable<1>();
alignas(16) constexpr ShuffleTable kBlue = planeTable<2>();
alignas(16) constexpr ShuffleTable kSwap0 = swapTable<0>();
alignas(16) constexpr ShuffleTable kSwap1 = swapTable<1>();
alignas(16) constexpr ShuffleTable kSwap2 = swapTable<2>();

__attribute__((target("ssse3"))) inline __m128i gather(const __m128i in[3], const ShuffleTable& table) {
    const __m128i* masks = reinterpret_cast<const __m128i*>(table.data());
    return _mm_or_si128(
        _mm_or_si128(_mm_shuffle_epi8(in[0], _mm_load_si128(masks)),
                     _mm_shuffle_epi8(in[1], _mm_load_si128(masks + 1))),
        _mm_shuffle_epi8(in[2], _mm_load_si128(masks + 2)));
}

__attribute__((target("ssse3"))) inline void swapBlock(const __m128i in[3], uint8_t* dst) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), gather(in, kSwap0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16), gather(in, kSwap1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 32), gather(in, kSwap2));
}

__attribute__((target("ssse3"))) inline void loadBlock(const uint8_t* src, __m128i in[3]) {
    in[0] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    in[1] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
    in[2] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
}

}  // namespace

bool ssse3Available() { return __builtin_cpu_supports("ssse3"); }

__attribute__((target("ssse3"))) size_t swapPixelsSsse3(const uint8_t* src, uint8_t* dst, size_t count) {
    const size_t blocks = count / 16;
    for (size_t b = 0; b < blocks; ++b) {
        __m128i in[3];
        loadBlock(src + 48 * b, in);
        swapBlock(in, dst + 48 * b);
    }
    return blocks * 16;
}

__attribute__((target("ssse3"))) size_t swapAndMaskPixelsSsse3(const uint8_t* src, uint8_t* dst, uint8_t* mask,
                                                              size_t count, bool exactColorMatch) {
    const size_t blocks = count / 16;
    // Saturating sums: a sum of 201 or more saturates at 201 or above, so
    // "sum > 200" reads the same on bytes.
    const __m128i threshold = _mm_set1_epi8(static_cast<char>(201));
    for (size_t b = 0; b < blocks; ++b) {
        __m128i in[3];
        loadBlock(src + 48 * b, in);
        swapBlock(in, dst + 48 * b);
        const __m128i red = gather(in, kRed);
        const __m128i green = gather(in, kGreen);
        const __m128i blue = gather(in, kBlue);
        __m128i bytes;
        if (exactColorMatch) {
            bytes = _mm_or_si128(_mm_or_si128(red, green), blue);
        } else {
            const __m128i sum = _mm_adds_epu8(_mm_adds_epu8(red, green), blue);
            bytes = _mm_cmpeq_epi8(_mm_max_epu8(sum, threshold), sum);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(mask + 16 * b), bytes);
    }
    return blocks * 16;
}

}  // namespace zelk::device::simd

#else

namespace zelk::device::simd {

bool ssse3Available() { return false; }
size_t swapPixelsSsse3(const uint8_t*, uint8_t*, size_t) { return 0; }
size_t swapAndMaskPixelsSsse3(const uint8_t*, uint8_t*, uint8_t*, size_t, bool) { return 0; }

}  // namespace zelk::device::simd

#endif
