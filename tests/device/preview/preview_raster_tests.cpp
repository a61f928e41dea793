// The preview's enlarged picture: squares repeat each dot's colour exactly;
// round dots keep the colour at their middle, fade at their edge and leave
// a dark gap between neighbours; the target's row stride is honoured.
#include <gtest/gtest.h>

#include "device/preview/preview_raster.h"

namespace {

using zelk::Bitmap24;
using zelk::device::PreviewRaster;

// 2 x 2 dots, each its own colour (B, G, R in the bitmap).
Bitmap24 fourDots() {
    Bitmap24 frame(2, 2);
    const uint8_t colours[4][3] = {{10, 20, 30}, {255, 255, 255}, {0, 128, 255}, {1, 2, 3}};
    for (size_t i = 0; i < 4; ++i) std::copy_n(colours[i], 3, frame.pixels.begin() + static_cast<long>(i * 3));
    return frame;
}

uint32_t packed(const Bitmap24& frame, int x, int y) {
    const uint8_t* bgr = frame.row(y) + x * 3;
    return bgr[0] | bgr[1] << 8 | bgr[2] << 16;
}

TEST(PreviewRaster, SquaresRepeatTheColourAndKeepToTheirRows) {
    const Bitmap24 frame = fourDots();
    for (int scale : {1, 3, 16}) {
        PreviewRaster raster;
        raster.setLook(scale, false);
        const size_t stride = static_cast<size_t>(2 * scale + 5);  // 5 pixels beyond every row
        std::vector<uint32_t> target(stride * static_cast<size_t>(2 * scale), 0xABCDEF);
        raster.draw(frame, target.data(), stride);
        for (size_t y = 0; y < static_cast<size_t>(2 * scale); ++y) {
            for (size_t x = 0; x < stride; ++x) {
                const uint32_t expected = x < static_cast<size_t>(2 * scale)
                                              ? packed(frame, static_cast<int>(x) / scale, static_cast<int>(y) / scale)
                                              : 0xABCDEF;
                ASSERT_EQ(target[y * stride + x], expected) << "scale " << scale << " at " << x << "," << y;
            }
        }
    }
}

TEST(PreviewRaster, RoundDotsWithADarkGap) {
    struct Case {
        int scale;
        int gap;  // dark pixels at the right and bottom of each cell
    };
    const Bitmap24 frame = fourDots();
    for (const Case c : {Case{2, 1}, Case{4, 1}, Case{8, 2}, Case{16, 3}}) {
        PreviewRaster raster;
        raster.setLook(c.scale, true);
        const int side = 2 * c.scale;
        std::vector<uint32_t> target(static_cast<size_t>(side * side), 0xABCDEF);
        raster.draw(frame, target.data(), static_cast<size_t>(side));
        const int middle = (c.scale - c.gap) / 2;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const int cx = x % c.scale, cy = y % c.scale;
                const uint32_t pixel = target[static_cast<size_t>(y * side + x)];
                const uint32_t colour = packed(frame, x / c.scale, y / c.scale);
                if (cx >= c.scale - c.gap || cy >= c.scale - c.gap) {
                    ASSERT_EQ(pixel, 0u) << "gap, scale " << c.scale << " at " << x << "," << y;
                } else if (cx == middle && cy == middle) {
                    ASSERT_EQ(pixel, colour) << "middle, scale " << c.scale << " at " << x << "," << y;
                }
                // Every channel at most the dot's own: the edge only fades.
                for (int shift : {0, 8, 16}) ASSERT_LE(pixel >> shift & 0xFF, colour >> shift & 0xFF);
            }
        }
        if (c.scale >= 4) {
            EXPECT_LT(raster.weight(0, 0), 192) << "a round corner, scale " << c.scale;
            EXPECT_EQ(raster.weight(middle, 0), raster.weight(0, middle)) << "round, scale " << c.scale;
        }
    }
}

TEST(PreviewRaster, ScaleOutsideTheRangeIsOne) {
    for (int scale : {0, -1, 17, 1000}) {
        PreviewRaster raster;
        raster.setLook(scale, true);
        EXPECT_EQ(raster.scale(), 1);
        EXPECT_EQ(raster.weight(0, 0), 256) << "one pixel per dot is the whole dot";
    }
}

// The enlarged picture stays within 8192 pixels a side.
TEST(PreviewRaster, ScaleFittedToTheFrame) {
    struct Case {
        int width, height, scale, fitted;
    };
    for (const Case c : {Case{128, 32, 16, 16}, Case{4096, 32, 16, 2}, Case{32, 4096, 3, 2},
                         Case{8192, 1, 5, 1}, Case{128, 32, 0, 1}}) {
        EXPECT_EQ(zelk::device::fittingScale(c.width, c.height, c.scale), c.fitted) << c.width << "x" << c.height;
    }
}

}  // namespace
