#pragma once
// The arithmetic of the bilinear resample, shared by ResizeBilinear (whole
// 24-bit bitmaps) and SendFrameToDmd (sampling a caller's bitmap in place).
// Every step is rounded to single precision exactly where the DMD output
// defines it, so both roads give the same bytes.
#include <cstdint>

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

}  // namespace zelk::control::bilinear
