#include "core/area_average.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/area_average_rows.h"
#include "core/error.h"


namespace zelk {

namespace {

// Sources larger than this on a side are no window anyone shows; the limit
// keeps every weighted sum far inside 64 bits.
constexpr int64_t kMaxSourceSide = 65535;

using AxisSpan = AreaAverageSpan;

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

using RowLoop = size_t (*)(const uint8_t*, size_t, size_t, uint32_t, uint32_t*, size_t);

struct RowLoops {
    AreaAverageLoops kind;
    RowLoop loop;  // nullptr: the plain loop only
};

RowLoops rowLoopsFor(AreaAverageLoops wanted) {
    if (wanted == AreaAverageLoops::avx512 && rows::avx512Available())
        return {AreaAverageLoops::avx512, rows::addRowsAvx512};
    if (wanted >= AreaAverageLoops::avx2 && rows::avx2Available()) return {AreaAverageLoops::avx2, rows::addRowsAvx2};
    if (wanted != AreaAverageLoops::plain && rows::sse2Available()) return {AreaAverageLoops::sse2, rows::addRowsSse2};
    return {AreaAverageLoops::plain, nullptr};
}

RowLoops& rowLoops() {
    static RowLoops loops = rowLoopsFor(AreaAverageLoops::avx512);
    return loops;
}

// The hot loop: nearly every source byte is read once, here.
void addRows(const uint8_t* first, size_t stride, size_t count, uint32_t weight, uint32_t* sums, size_t bytes) {
    const RowLoop loop = rowLoops().loop;
    const size_t done = loop ? loop(first, stride, count, weight, sums, bytes) : 0;
    rows::addRowsPlain(first + done, stride, count, weight, sums + done, bytes - done);
}

// The 32-bit column sums of one target row: every source row it covers,
// weighted by the rows' covered height. Runs of whole rows (weight = the
// full target side) go together, up to kMaxRowsPerPass at a time; the rows
// a target edge cuts go one by one with their own weight.
void sumRows(const BgraView& source, const AxisSpan& span, uint16_t fullWeight, std::vector<uint32_t>& sums) {
    std::fill(sums.begin(), sums.end(), 0u);
    for (size_t k = 0; k < span.weights.size();) {
        size_t run = 1;
        if (span.weights[k] == fullWeight) {
            while (k + run < span.weights.size() && run < rows::kMaxRowsPerPass &&
                   span.weights[k + run] == fullWeight)
                ++run;
        }
        const uint8_t* row = source.pixels + (static_cast<size_t>(span.first) + k) * source.stride;
        addRows(row, source.stride, run, span.weights[k], sums.data(), sums.size());
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
// its covered width; then the mean. Columns of equal weight (all but the
// ones a target edge cuts) are added first, four channels side by side so
// that the compiler adds them as vectors, and multiplied once.
void averageColumns(const std::vector<uint32_t>& sums, const std::vector<AxisSpan>& columns, uint64_t area,
                    uint8_t* out) {
    const uint64_t twiceArea = 2 * area;
    const double inverse = 1.0 / static_cast<double>(twiceArea);
    for (const AxisSpan& span : columns) {
        uint64_t total[3] = {};
        const uint32_t* sum = sums.data() + static_cast<size_t>(span.first) * 4;
        for (size_t i = 0; i < span.weights.size();) {
            const uint16_t weight = span.weights[i];
            uint64_t lanes[4] = {};
            for (; i < span.weights.size() && span.weights[i] == weight; ++i, sum += 4)
                for (int c = 0; c < 4; ++c) lanes[c] += sum[c];
            for (int c = 0; c < 3; ++c) total[c] += static_cast<uint64_t>(lanes[c]) * weight;
        }
        for (int c = 0; c < 3; ++c) *out++ = roundedMean(total[c], twiceArea, inverse);
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

void areaAverage(const BgraView& source, Bitmap24& target) { AreaAverager()(source, target); }

void AreaAverager::operator()(const BgraView& source, Bitmap24& target) {
    checkSizes(source, target);
    // A size is recorded only once everything made for it is in place.
    if (source.width != sourceWidth_ || target.width != targetWidth_) {
        sourceWidth_ = 0;
        columns_ = axisSpans(source.width, target.width);
        sums_.assign(static_cast<size_t>(source.width) * 4, 0u);
        sourceWidth_ = source.width;
        targetWidth_ = target.width;
    }
    if (source.height != sourceHeight_ || target.height != targetHeight_) {
        sourceHeight_ = 0;
        rows_ = axisSpans(source.height, target.height);
        sourceHeight_ = source.height;
        targetHeight_ = target.height;
    }
    const uint64_t area = static_cast<uint64_t>(source.width) * static_cast<uint64_t>(source.height);
    // Down the rows first, over whole contiguous source rows, then across.
    for (int32_t y = 0; y < target.height; ++y) {
        sumRows(source, rows_[static_cast<size_t>(y)], static_cast<uint16_t>(target.height), sums_);
        averageColumns(sums_, columns_, area, target.row(y));
    }
}

AreaAverageLoops useAreaAverageLoops(AreaAverageLoops wanted) {
    rowLoops() = rowLoopsFor(wanted);
    return rowLoops().kind;
}

}  // namespace zelk
