#include "core/area_average.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/error.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zelk {

namespace {

// Sources larger than this on a side are no window anyone shows; the limit
// keeps every weighted sum far inside 64 bits.
constexpr int64_t kMaxSourceSide = 65535;

// The source pixels one target pixel covers along one axis, with their weights.
struct AxisSpan {
    int32_t first = 0;
    std::vector<uint16_t> weights;  // one per source pixel from first on
};

// Source pixel i spans [i * n, (i + 1) * n) and target pixel t spans
// [t * N, (t + 1) * N) in units of 1/n source pixel; a weight is their overlap.
std::vector<AxisSpan> axisSpans(int64_t sourceSize, int64_t targetSize) {
    std::vector<AxisSpan> spans(static_cast<size_t>(targetSize));
    for (int64_t t = 0; t < targetSize; ++t) {
        const int64_t low = t * sourceSize, high = (t + 1) * sourceSize;
        AxisSpan& span = spans[static_cast<size_t>(t)];
        span.first = static_cast<int32_t>(low / targetSize);
        for (int64_t i = span.first; i * targetSize < high; ++i) {
            const int64_t overlap =
                std::min(high, (i + 1) * targetSize) - std::max(low, i * targetSize);
            span.weights.push_back(static_cast<uint16_t>(overlap));
        }
    }
    return spans;
}

// The hot loop: nearly every source byte is read once, here. Whole rows
// (weight = the full target side) are summed unweighted in 16 bits, at most
// kMaxWholeRows of them at a time so that no sum overflows, and then folded
// into the 32-bit sums with their common weight.
constexpr size_t kMaxWholeRows = 257;  // 257 * 255 = 65535

// Adds Rows consecutive rows into the 16-bit sums, streaming along the rows:
// the sums are loaded and stored once per Rows source rows, so their traffic
// stays a fraction of the source's.
template <size_t Rows>
void addRows(const uint8_t* first, size_t stride, uint16_t* whole, size_t count) {
    size_t j = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; j + 16 <= count; j += 16) {
        __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(whole + j));
        __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(whole + j + 8));
        for (size_t k = 0; k < Rows; ++k) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + k * stride + j));
            low = _mm_add_epi16(low, _mm_unpacklo_epi8(bytes, zero));
            high = _mm_add_epi16(high, _mm_unpackhi_epi8(bytes, zero));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(whole + j), low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(whole + j + 8), high);
    }
#endif
    for (; j < count; ++j) {
        uint16_t sum = whole[j];
        for (size_t k = 0; k < Rows; ++k) sum = static_cast<uint16_t>(sum + first[k * stride + j]);
        whole[j] = sum;
    }
}

void sumWholeRows(const uint8_t* first, size_t stride, size_t rows, uint16_t* whole, size_t count) {
    std::fill(whole, whole + count, uint16_t{0});
    constexpr size_t kGroup = 4;
    size_t k = 0;
    for (; k + kGroup <= rows; k += kGroup) addRows<kGroup>(first + k * stride, stride, whole, count);
    for (; k < rows; ++k) addRows<1>(first + k * stride, stride, whole, count);
}

void foldWholeRows(const uint16_t* __restrict whole, uint32_t weight, uint32_t* __restrict sums,
                   size_t count) {
    for (size_t j = 0; j < count; ++j) sums[j] += whole[j] * weight;
}

// A row the target edge cuts: its weight is under the target side (at most
// 256), so each product fits 16 bits.
void addWeightedRow(const uint8_t* __restrict row, uint16_t weight, uint32_t* __restrict sums,
                    size_t count) {
    for (size_t j = 0; j < count; ++j) sums[j] += static_cast<uint16_t>(row[j] * weight);
}

// The 32-bit column sums of one target row: every source row it covers,
// weighted by the rows' covered height.
void sumRows(const BgraView& source, const AxisSpan& span, uint16_t fullWeight, std::vector<uint16_t>& whole,
             std::vector<uint32_t>& sums) {
    const size_t count = sums.size();
    std::fill(sums.begin(), sums.end(), 0u);
    for (size_t k = 0; k < span.weights.size();) {
        const uint8_t* row = source.pixels + (static_cast<size_t>(span.first) + k) * source.stride;
        if (span.weights[k] != fullWeight) {
            addWeightedRow(row, span.weights[k], sums.data(), count);
            ++k;
            continue;
        }
        size_t run = 1;
        while (k + run < span.weights.size() && run < kMaxWholeRows && span.weights[k + run] == fullWeight) ++run;
        sumWholeRows(row, source.stride, run, whole.data(), count);
        foldWholeRows(whole.data(), fullWeight, sums.data(), count);
        k += run;
    }
}

// floor(total / area + 1/2), the nearest integer with halves up, without a
// 64-bit division per byte: a floating-point estimate, then an exact fix-up.
uint8_t roundedMean(uint64_t total, uint64_t twiceArea, double inverse) {
    const uint64_t numerator = 2 * total + twiceArea / 2;
    uint64_t mean = static_cast<uint64_t>(static_cast<double>(numerator) * inverse);
    while (mean * twiceArea > numerator) --mean;
    while ((mean + 1) * twiceArea <= numerator) ++mean;
    return static_cast<uint8_t>(mean);
}

// Across the column sums of one target row, each source column weighted by
// its covered width; then the mean.
void averageColumns(const std::vector<uint32_t>& sums, const std::vector<AxisSpan>& columns, uint64_t area,
                    uint8_t* out) {
    const uint64_t twiceArea = 2 * area;
    const double inverse = 1.0 / static_cast<double>(twiceArea);
    for (const AxisSpan& span : columns) {
        uint64_t blue = 0, green = 0, red = 0;
        const uint32_t* sum = sums.data() + static_cast<size_t>(span.first) * 4;
        for (const uint16_t weight : span.weights) {
            blue += static_cast<uint64_t>(sum[0]) * weight;
            green += static_cast<uint64_t>(sum[1]) * weight;
            red += static_cast<uint64_t>(sum[2]) * weight;
            sum += 4;
        }
        *out++ = roundedMean(blue, twiceArea, inverse);
        *out++ = roundedMean(green, twiceArea, inverse);
        *out++ = roundedMean(red, twiceArea, inverse);
    }
}

void checkSizes(const BgraView& source, const Bitmap24& target) {
    const bool sourceOk = source.pixels != nullptr && source.width > 0 && source.height > 0 &&
                          source.width <= kMaxSourceSide && source.height <= kMaxSourceSide &&
                          source.stride >= static_cast<size_t>(source.width) * 4;
    const bool targetOk = target.width > 0 && target.height > 0 &&
                          target.width <= kMaxAreaAverageSide && target.height <= kMaxAreaAverageSide &&
                          target.pixels.size() == static_cast<size_t>(target.width) * target.height * 3;
    if (!sourceOk)
        throw Error("EAreaAverage", "Cannot average a picture of " + std::to_string(source.width) + " x " +
                                        std::to_string(source.height) + " pixels.");
    if (!targetOk)
        throw Error("EAreaAverage", "Cannot average into a bitmap of " + std::to_string(target.width) +
                                        " x " + std::to_string(target.height) + " pixels.");
}

}  // namespace

void areaAverage(const BgraView& source, Bitmap24& target) {
    checkSizes(source, target);
    const std::vector<AxisSpan> columns = axisSpans(source.width, target.width);
    const std::vector<AxisSpan> rows = axisSpans(source.height, target.height);
    const uint64_t area = static_cast<uint64_t>(source.width) * static_cast<uint64_t>(source.height);
    const size_t rowBytes = static_cast<size_t>(source.width) * 4;
    std::vector<uint16_t> whole(rowBytes);
    std::vector<uint32_t> sums(rowBytes);
    // Down the rows first, over whole contiguous source rows, then across.
    for (int32_t y = 0; y < target.height; ++y) {
        sumRows(source, rows[static_cast<size_t>(y)], static_cast<uint16_t>(target.height), whole, sums);
        averageColumns(sums, columns, area, target.row(y));
    }
}

}  // namespace zelk
