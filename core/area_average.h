#pragma once
// Exact area average: reduces a 32-bit BGRA picture (a captured window) to a
// small 24-bit bitmap, each target pixel the mean of the source area it covers.
//
// The rule. Lay the target grid over the source so that both cover the same
// rectangle: target column x spans source columns [x * W / w, (x + 1) * W / w)
// and target row y spans source rows [y * H / h, (y + 1) * H / h), fractions
// included. A source pixel weighs by the area it shares with the target pixel,
// so where a target edge cuts a source pixel, that pixel counts with the
// covered fraction only (on both sides of the cut). Per channel (blue, green,
// red; alpha ignored) the target value is the weighted sum divided by the
// target pixel's area, rounded to the nearest integer, halves up. All of it is
// integer arithmetic (weights in units of 1/w and 1/h of a source pixel), so
// the result is exact and the same on every platform. A source smaller than
// the target works too: then one source pixel spreads over several targets.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/bitmap24.h"

namespace zelk {

// Largest target side: keeps a weighted byte inside 16 bits, which is what
// makes the per-row pass cheap.
inline constexpr int32_t kMaxAreaAverageSide = 256;

struct BgraView {
    int32_t width = 0;
    int32_t height = 0;
    const uint8_t* pixels = nullptr;  // blue, green, red, alpha; rows from the top
    size_t stride = 0;                // bytes from one row to the next, at least width * 4
};

// Fills target (its size chosen by the caller, 1..kMaxAreaAverageSide on each
// side) with the area average of source. Throws zelk::Error for an empty or
// inconsistent source or a target size out of range; target is then unchanged.
void areaAverage(const BgraView& source, Bitmap24& target);

// The source pixels one target pixel covers along one axis, with their
// weights (AreaAverager keeps them).
struct AreaAverageSpan {
    int32_t first = 0;
    std::vector<uint16_t> weights;  // one per source pixel from first on
};

// areaAverage for a caller that averages again and again (the mirror's
// ticks): the spans and the row sums are kept and made anew only when the
// source or the target size changes, so that a source of unchanged size is
// averaged without allocating.
class AreaAverager {
public:
    void operator()(const BgraView& source, Bitmap24& target);

private:
    int32_t sourceWidth_ = 0, sourceHeight_ = 0, targetWidth_ = 0, targetHeight_ = 0;
    std::vector<AreaAverageSpan> columns_, rows_;
    std::vector<uint32_t> sums_;
};

// The row loops in use. The best the processor has is chosen; tests and the
// benchmark choose others to check and measure each of them.
enum class AreaAverageLoops { plain, sse2, avx2, avx512 };
// Uses the wanted loops, or the best below them that the processor has, and
// returns the loops now in use. Not to be called while an average runs.
AreaAverageLoops useAreaAverageLoops(AreaAverageLoops wanted);

}  // namespace zelk
