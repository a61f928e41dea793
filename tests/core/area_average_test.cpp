// The exact area average against a brute-force reference that blows every
// source pixel up into a block of w x h sub-pixels, so that each target pixel
// is exactly a block of W x H sub-pixels, and takes their plain mean.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/area_average.h"
#include "core/error.h"

namespace zelk {
namespace {

struct Source {
    int32_t width, height;
    std::vector<uint8_t> bgra;
    BgraView view() const { return {width, height, bgra.data(), static_cast<size_t>(width) * 4}; }
};

Source randomSource(int32_t width, int32_t height, unsigned seed) {
    Source source{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    std::mt19937 random(seed);
    for (uint8_t& b : source.bgra) b = static_cast<uint8_t>(random());
    return source;
}

Bitmap24 supersampledMean(const Source& source, int32_t w, int32_t h) {
    Bitmap24 target(w, h);
    for (int32_t ty = 0; ty < h; ++ty)
        for (int32_t tx = 0; tx < w; ++tx)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int32_t sy = ty * source.height; sy < (ty + 1) * source.height; ++sy)
                    for (int32_t sx = tx * source.width; sx < (tx + 1) * source.width; ++sx)
                        sum += source.bgra[(static_cast<size_t>(sy / h) * source.width + sx / w) * 4 + c];
                const double mean = sum / (static_cast<double>(source.width) * source.height);
                target.row(ty)[tx * 3 + c] = static_cast<uint8_t>(std::floor(mean + 0.5));
            }
    return target;
}

TEST(AreaAverage, MatchesTheSupersampledMeanOnSmallSizes) {
    // Multiples, fractions on either axis, sources smaller than the target.
    const int32_t sizes[][4] = {{8, 4, 4, 2}, {7, 5, 3, 2}, {5, 3, 4, 2}, {3, 2, 5, 4}, {1, 1, 3, 2},
                                {9, 7, 2, 3}, {2, 9, 2, 4}, {6, 6, 6, 6}, {11, 3, 4, 1}, {4, 4, 1, 1},
                                {21, 1100, 3, 2},   // runs of over 257 whole rows
                                {75, 40, 7, 3}};    // 300 bytes a row: 128- and 16-byte strips, a tail
    // Every kind of row loops, on widths that meet each loop's strips and tails.
    for (const AreaAverageLoops loops :
         {AreaAverageLoops::plain, AreaAverageLoops::sse2, AreaAverageLoops::avx2, AreaAverageLoops::avx512}) {
        if (useAreaAverageLoops(loops) != loops) continue;  // not on this processor
        unsigned seed = 1;
        AreaAverager average;  // one for all sizes: what it keeps follows each change
        for (const auto& s : sizes) {
            const Source source = randomSource(s[0], s[1], seed++);
            Bitmap24 target(s[2], s[3]);
            average(source.view(), target);
            EXPECT_EQ(target.pixels, supersampledMean(source, s[2], s[3]).pixels)
                << s[0] << "x" << s[1] << " to " << s[2] << "x" << s[3] << " loops " << static_cast<int>(loops);
        }
    }
    useAreaAverageLoops(AreaAverageLoops::avx512);
}

TEST(AreaAverage, StatedCases) {
    // Source blue bytes of one row; target width 1 or 2; expected blue bytes.
    struct Case {
        std::vector<uint8_t> blues;
        int32_t targetWidth;
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {{0, 1}, 1, {1}},              // 0.5 rounds up
        {{2, 3}, 1, {3}},              // 2.5 rounds up, not to even
        {{0, 0, 1}, 1, {0}},           // 0.33 rounds down
        {{30, 60, 90}, 2, {40, 80}},   // the middle pixel splits half and half: (30 + 30) / 1.5
        {{255, 255, 255}, 2, {255, 255}},
    };
    for (const Case& c : cases) {
        Source source{static_cast<int32_t>(c.blues.size()), 1, {}};
        for (const uint8_t blue : c.blues) source.bgra.insert(source.bgra.end(), {blue, 0, 0, 0});
        Bitmap24 target(c.targetWidth, 1);
        areaAverage(source.view(), target);
        for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(target.pixels[i * 3], c.expected[i]);
    }
}

TEST(AreaAverage, HonoursStrideAndIgnoresAlpha) {
    // Two rows of one pixel each, 8 bytes apart; the padding and alpha bytes are 255.
    const std::vector<uint8_t> bytes = {10, 20, 30, 255, 255, 255, 255, 255, 30, 40, 50, 255};
    Bitmap24 target(1, 1);
    areaAverage({1, 2, bytes.data(), 8}, target);
    EXPECT_EQ(target.pixels, (std::vector<uint8_t>{20, 30, 40}));
}

TEST(AreaAverage, RefusesWhatItCannotAverage) {
    const std::vector<uint8_t> bytes(64);
    const BgraView good{4, 4, bytes.data(), 16};
    const struct {
        BgraView source;
        int32_t w, h;
    } cases[] = {
        {{0, 4, bytes.data(), 16}, 2, 2},       {{4, 4, nullptr, 16}, 2, 2},
        {{4, 4, bytes.data(), 12}, 2, 2},       {good, 0, 2},
        {good, kMaxAreaAverageSide + 1, 1},
    };
    for (const auto& c : cases) {
        Bitmap24 target(c.w, c.h);
        EXPECT_THROW(areaAverage(c.source, target), Error);
    }
}

}  // namespace
}  // namespace zelk
