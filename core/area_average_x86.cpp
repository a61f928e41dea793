// The area average's row loops with SSE2, AVX2 and AVX-512BW, each compiled
// for its instruction set alone (target attributes) so that the build needs
// no instruction set flags and core/area_average.cpp picks the best the
// processor has at run time.
//
// The columns are walked in strips of a few cache lines; a strip's sums stay
// in 16-bit registers while every row is added, and are multiplied into the
// 32-bit column sums once at the end. So the source is read once and nothing
// else goes through memory per row.
#include "core/area_average_rows.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

namespace zelk::rows {
namespace {

// SSE2: 16 source bytes to two registers of eight 16-bit sums.
__attribute__((target("sse2"))) inline void foldSse2(__m128i words, __m128i weight, uint32_t* sums) {
    // The 32-bit products from their low and high halves.
    const __m128i low = _mm_mullo_epi16(words, weight), high = _mm_mulhi_epu16(words, weight);
    __m128i* at = reinterpret_cast<__m128i*>(sums);
    _mm_storeu_si128(at, _mm_add_epi32(_mm_loadu_si128(at), _mm_unpacklo_epi16(low, high)));
    _mm_storeu_si128(at + 1, _mm_add_epi32(_mm_loadu_si128(at + 1), _mm_unpackhi_epi16(low, high)));
}

template <int Units>
__attribute__((target("sse2"))) inline void stripSse2(const uint8_t* at, size_t stride, size_t rows,
                                                      __m128i weight, uint32_t* sums) {
    const __m128i zero = _mm_setzero_si128();
    __m128i low[Units], high[Units];
#pragma GCC unroll 8
    for (int u = 0; u < Units; ++u) low[u] = high[u] = zero;
    for (size_t k = 0; k < rows; ++k, at += stride) {
#pragma GCC unroll 8
        for (int u = 0; u < Units; ++u) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * u));
            low[u] = _mm_add_epi16(low[u], _mm_unpacklo_epi8(bytes, zero));
            high[u] = _mm_add_epi16(high[u], _mm_unpackhi_epi8(bytes, zero));
        }
    }
#pragma GCC unroll 8
    for (int u = 0; u < Units; ++u) {
        foldSse2(low[u], weight, sums + 16 * u);
        foldSse2(high[u], weight, sums + 16 * u + 8);
    }
}

// AVX2: 16 source bytes widened to one register of sixteen 16-bit sums.
__attribute__((target("avx2"))) inline void foldAvx2(__m128i words, __m256i weight, uint32_t* sums) {
    __m256i* at = reinterpret_cast<__m256i*>(sums);
    const __m256i products = _mm256_mullo_epi32(_mm256_cvtepu16_epi32(words), weight);
    _mm256_storeu_si256(at, _mm256_add_epi32(_mm256_loadu_si256(at), products));
}

template <int Units>
__attribute__((target("avx2"))) inline void stripAvx2(const uint8_t* at, size_t stride, size_t rows,
                                                      __m256i weight, uint32_t* sums) {
    __m256i sum[Units];
#pragma GCC unroll 8
    for (int u = 0; u < Units; ++u) sum[u] = _mm256_setzero_si256();
    for (size_t k = 0; k < rows; ++k, at += stride) {
#pragma GCC unroll 8
        for (int u = 0; u < Units; ++u) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * u));
            sum[u] = _mm256_add_epi16(sum[u], _mm256_cvtepu8_epi16(bytes));
        }
    }
#pragma GCC unroll 8
    for (int u = 0; u < Units; ++u) {
        foldAvx2(_mm256_castsi256_si128(sum[u]), weight, sums + 16 * u);
        foldAvx2(_mm256_extracti128_si256(sum[u], 1), weight, sums + 16 * u + 8);
    }
}

// AVX-512BW: 32 source bytes widened to one register of thirty-two 16-bit sums.
// (The masked forms of the widening and the extractions, all lanes on: GCC 12
// warns that the plain forms' undefined fill may be used uninitialised.)
__attribute__((target("avx512bw"))) inline void foldAvx512(__m256i words, __m512i weight, uint32_t* sums) {
    const __m512i products = _mm512_mullo_epi32(_mm512_maskz_cvtepu16_epi32(0xffff, words), weight);
    _mm512_storeu_si512(sums, _mm512_add_epi32(_mm512_loadu_si512(sums), products));
}

template <int Units>
__attribute__((target("avx512bw"))) inline void stripAvx512(const uint8_t* at, size_t stride, size_t rows,
                                                            __m512i weight, uint32_t* sums) {
    __m512i sum[Units];
#pragma GCC unroll 8
    for (int u = 0; u < Units; ++u) sum[u] = _mm512_setzero_si512();
    for (size_t k = 0; k < rows; ++k, at += stride) {
#pragma GCC unroll 8
        for (int u = 0; u < Units; ++u) {
            const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 32 * u));
            sum[u] = _mm512_add_epi16(sum[u], _mm512_cvtepu8_epi16(bytes));
        }
    }
#pragma GCC unroll 8
    for (int u = 0; u < Units; ++u) {
        foldAvx512(_mm512_maskz_extracti64x4_epi64(0xf, sum[u], 0), weight, sums + 32 * u);
        foldAvx512(_mm512_maskz_extracti64x4_epi64(0xf, sum[u], 1), weight, sums + 32 * u + 16);
    }
}

}  // namespace

bool sse2Available() { return __builtin_cpu_supports("sse2"); }
bool avx2Available() { return __builtin_cpu_supports("avx2"); }
bool avx512Available() { return __builtin_cpu_supports("avx512bw"); }

__attribute__((target("sse2"))) size_t addRowsSse2(const uint8_t* first, size_t stride, size_t rows,
                                                   uint32_t weight, uint32_t* sums, size_t count) {
    const __m128i factor = _mm_set1_epi16(static_cast<int16_t>(weight));
    size_t j = 0;
    for (; j + 64 <= count; j += 64) stripSse2<4>(first + j, stride, rows, factor, sums + j);
    for (; j + 16 <= count; j += 16) stripSse2<1>(first + j, stride, rows, factor, sums + j);
    return j;
}

__attribute__((target("avx2"))) size_t addRowsAvx2(const uint8_t* first, size_t stride, size_t rows,
                                                   uint32_t weight, uint32_t* sums, size_t count) {
    const __m256i factor = _mm256_set1_epi32(static_cast<int32_t>(weight));
    size_t j = 0;
    for (; j + 128 <= count; j += 128) stripAvx2<8>(first + j, stride, rows, factor, sums + j);
    for (; j + 16 <= count; j += 16) stripAvx2<1>(first + j, stride, rows, factor, sums + j);
    return j;
}

__attribute__((target("avx512bw"))) size_t addRowsAvx512(const uint8_t* first, size_t stride, size_t rows,
                                                         uint32_t weight, uint32_t* sums, size_t count) {
    const __m512i factor = _mm512_set1_epi32(static_cast<int32_t>(weight));
    size_t j = 0;
    for (; j + 128 <= count; j += 128) stripAvx512<4>(first + j, stride, rows, factor, sums + j);
    for (; j + 32 <= count; j += 32) stripAvx512<1>(first + j, stride, rows, factor, sums + j);
    return j + addRowsAvx2(first + j, stride, rows, weight, sums + j, count - j);
}

}  // namespace zelk::rows

#else

namespace zelk::rows {

bool sse2Available() { return false; }
bool avx2Available() { return false; }
bool avx512Available() { return false; }
size_t addRowsSse2(const uint8_t*, size_t, size_t, uint32_t, uint32_t*, size_t) { return 0; }
size_t addRowsAvx2(const uint8_t*, size_t, size_t, uint32_t, uint32_t*, size_t) { return 0; }
size_t addRowsAvx512(const uint8_t*, size_t, size_t, uint32_t, uint32_t*, size_t) { return 0; }

}  // namespace zelk::rows

#endif
