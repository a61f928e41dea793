#include "core/area_average.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/error.h"

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

// The hot loop: every source byte is read once here. A weight is at most the
// target side (256), so each product fits 16 bits, which vectorises well.
void addWeightedRow(const uint8_t* __restrict row, uint16_t weight, uint32_t* __restrict sums,
                    size_t count) {
    for (size_t j = 0; j < count; ++j) sums[j] += static_cast<uint16_t>(row[j] * weight);
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
    std::vector<uint32_t> sums(rowBytes);

    for (int32_t y = 0; y < target.height; ++y) {
        // Down the rows first, over whole source rows, then across the
        // column sums: the wide pass runs over contiguous bytes.
        std::fill(sums.begin(), sums.end(), 0u);
        const AxisSpan& rowSpan = rows[static_cast<size_t>(y)];
        for (size_t k = 0; k < rowSpan.weights.size(); ++k) {
            const uint8_t* row = source.pixels + (static_cast<size_t>(rowSpan.first) + k) * source.stride;
            addWeightedRow(row, rowSpan.weights[k], sums.data(), rowBytes);
        }
        uint8_t* out = target.row(y);
        for (const AxisSpan& columnSpan : columns) {
            uint64_t blue = 0, green = 0, red = 0;
            const uint32_t* sum = sums.data() + static_cast<size_t>(columnSpan.first) * 4;
            for (const uint16_t weight : columnSpan.weights) {
                blue += static_cast<uint64_t>(sum[0]) * weight;
                green += static_cast<uint64_t>(sum[1]) * weight;
                red += static_cast<uint64_t>(sum[2]) * weight;
                sum += 4;
            }
            // floor(s / area + 1/2): the nearest integer, halves up.
            *out++ = static_cast<uint8_t>((2 * blue + area) / (2 * area));
            *out++ = static_cast<uint8_t>((2 * green + area) / (2 * area));
            *out++ = static_cast<uint8_t>((2 * red + area) / (2 * area));
        }
    }
}

}  // namespace zelk
