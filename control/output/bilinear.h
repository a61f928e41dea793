#pragma once
// The arithmetic of the bilinear resample, shared by ResizeBilinear (whole
// 24-bit bitmaps) and SendFrameToDmd (sampling a caller's bitmap in place).
// Every step is rounded to single precision exactly where the DMD output
// defines it, so both roads give the same bytes.
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ZELK_BILINEAR_SSE2 1
#endif

namespace zelk::control::bilinear {

// Where one target column (or row) samples the source: between index and
// index + 1, with weights w0 and w1.
struct AxisSample {
    int32_t index = 0;
    float w0 = 1.0f;
    float w1 = 0.0f;
};

// Target position t samples t / s with s = targetSize / (sourceSize - 1), so
// t = 0 hits source 0 exactly and the last target position stays left of the
// last source position. sourceSize >= 2, targetSize in 1..65535.
inline void planAxis(int32_t sourceSize, int32_t targetSize, AxisSample* out) {
    const auto scale = static_cast<float>(static_cast<double>(targetSize) /
                                          static_cast<double>(sourceSize - 1));
    for (int32_t t = 0; t < targetSize; ++t) {
        const auto position =
            static_cast<float>(static_cast<double>(t) / static_cast<double>(scale));
        auto index = static_cast<int32_t>(position);  // truncation toward zero
        float fraction = position - static_cast<float>(index);
        // Within the accepted sizes the index never passes sourceSize - 2; the
        // guard keeps a rounding surprise from reading outside the source.
        if (index > sourceSize - 2) {
            index = sourceSize - 2;
            fraction = 1.0f;
        }
        out[t] = {index, 1.0f - fraction, fraction};
    }
}

struct Weights {
    float w00, w01, w10, w11;  // (ix, iy), (ix, iy + 1), (ix + 1, iy), (ix + 1, iy + 1)
};

inline float product(float a, float b) {
    return static_cast<float>(static_cast<double>(a) * static_cast<double>(b));
}

inline Weights weightsFor(const AxisSample& column, const AxisSample& row) {
    return {product(column.w0, row.w0), product(column.w0, row.w1), product(column.w1, row.w0),
            product(column.w1, row.w1)};
}

// Nearest integer, ties to even, for 0 <= value < 2^23: adding 2^23 leaves no
// bits below the units, so the float addition itself rounds, in the default
// mode to nearest with ties to even. The casts force that rounding on x87
// too, where intermediates may be wider. (std::lrint does the same but is a
// library call here, paid 12,288 times a frame.)
inline uint8_t roundToByte(float value) {
    constexpr float kShift = 8388608.0f;  // 2^23
    if (!(value > 0.0f)) return 0;  // also catches NaN
    if (value >= 255.0f) return 255;
    const auto shifted = static_cast<float>(value + kShift);
    return static_cast<uint8_t>(static_cast<float>(shifted - kShift));
}

// One byte of a target pixel: the four source bytes times their weights,
// summed in this order, each addition formed in double and rounded to float;
// the sum rounded to the nearest integer, ties to even.
inline uint8_t mixChannel(uint8_t p00, uint8_t p01, uint8_t p10, uint8_t p11, const Weights& w) {
    float sum = 0.0f;
    sum = static_cast<float>(static_cast<double>(sum) + p00 * static_cast<double>(w.w00));
    sum = static_cast<float>(static_cast<double>(sum) + p01 * static_cast<double>(w.w01));
    sum = static_cast<float>(static_cast<double>(sum) + p10 * static_cast<double>(w.w10));
    sum = static_cast<float>(static_cast<double>(sum) + p11 * static_cast<double>(w.w11));
    return roundToByte(sum);
}

// A pixel's channels packed into 32 bits, channel k in byte k; up to four
// channels are mixed at once. Channels are independent, so whatever order a
// caller packs them in comes back in the same order.
inline uint8_t channel(uint32_t packed, int k) { return static_cast<uint8_t>(packed >> (8 * k)); }

inline uint32_t mixPixelScalar(uint32_t c00, uint32_t c01, uint32_t c10, uint32_t c11,
                               const Weights& w) {
    uint32_t result = 0;
    for (int k = 0; k < 4; ++k)
        result |= static_cast<uint32_t>(mixChannel(channel(c00, k), channel(c01, k),
                                                   channel(c10, k), channel(c11, k), w))
                  << (8 * k);
    return result;
}

#ifdef ZELK_BILINEAR_SSE2

inline __m128i widenBytes(uint32_t packed) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bytes = _mm_cvtsi32_si128(static_cast<int>(packed));
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero);
}

// sum = float(double(sum) + byte * weight) in each of four lanes: the very
// operations of mixChannel, so every lane rounds as the scalar code does.
inline __m128 addTerm(__m128 sum, uint32_t corner, double weight) {
    const __m128i ints = widenBytes(corner);
    const __m128d w = _mm_set1_pd(weight);
    const __m128d low = _mm_add_pd(_mm_cvtps_pd(sum), _mm_mul_pd(_mm_cvtepi32_pd(ints), w));
    const __m128d high =
        _mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(sum, sum)),
                   _mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(ints, _MM_SHUFFLE(1, 0, 3, 2))), w));
    return _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
}

inline uint32_t mixPixel(uint32_t c00, uint32_t c01, uint32_t c10, uint32_t c11,
                         const Weights& w) {
    __m128 sum = _mm_setzero_ps();
    sum = addTerm(sum, c00, w.w00);
    sum = addTerm(sum, c01, w.w01);
    sum = addTerm(sum, c10, w.w10);
    sum = addTerm(sum, c11, w.w11);
    // Ties to even by the 2^23 shift, as roundToByte; the sums are never
    // negative, min and max keep them in 0..255 all the same.
    const __m128 shift = _mm_set1_ps(8388608.0f);
    __m128 v = _mm_min_ps(_mm_max_ps(sum, _mm_setzero_ps()), _mm_set1_ps(255.0f));
    v = _mm_sub_ps(_mm_add_ps(v, shift), shift);
    const __m128i ints = _mm_cvttps_epi32(v);
    const __m128i words = _mm_packs_epi32(ints, ints);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}

#else

inline uint32_t mixPixel(uint32_t c00, uint32_t c01, uint32_t c10, uint32_t c11,
                         const Weights& w) {
    return mixPixelScalar(c00, c01, c10, c11, w);
}

#endif

}  // namespace zelk::control::bilinear
