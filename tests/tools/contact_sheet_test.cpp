// The contact sheet's choice of tiles and its outlines, checked on the
// picture it draws.
#include "tools/zelkdmd/contact_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using zelk::Bitmap24;
using zelk::device::MaskRect;
using zelk::tools::drawContactSheet;
using zelk::tools::SheetCollector;
using zelk::tools::SheetTile;

constexpr uint16_t kWidth = 128, kHeight = 32;

std::vector<uint8_t> darkFrame() { return std::vector<uint8_t>(size_t{kWidth} * kHeight * 3); }

size_t countPixels(const Bitmap24& sheet, uint8_t r, uint8_t g, uint8_t b) {
    size_t count = 0;
    for (size_t at = 0; at + 2 < sheet.pixels.size(); at += 3) {
        count += sheet.pixels[at] == b && sheet.pixels[at + 1] == g && sheet.pixels[at + 2] == r;
    }
    return count;
}

// A full sheet keeps the first send of every trigger: a later trigger's
// first send takes the place of the latest repeat.
TEST(ContactSheet, KeepsEveryTriggersFirstSend) {
    std::vector<uint8_t> rgb = darkFrame();
    SheetCollector sheet(3, UINT64_MAX);
    const struct {
        uint64_t frame;
        int trigger;
    } sends[] = {{1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 5}, {6, 7}, {7, 5}};
    for (const auto& send : sends) {
        rgb[0] = static_cast<uint8_t>(send.frame);  // red of the top-left dot
        sheet.add(send.frame, send.trigger, {0, 0, kWidth, kHeight}, kWidth, kHeight, rgb.data());
    }
    ASSERT_EQ(sheet.tiles().size(), 3u);
    EXPECT_EQ(sheet.sends(), 7u);
    const uint64_t frames[] = {1, 5, 6};
    const int triggers[] = {2, 5, 7};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sheet.tiles()[i].frame, frames[i]);
        EXPECT_EQ(sheet.tiles()[i].trigger, triggers[i]);
        EXPECT_EQ(sheet.tiles()[i].picture.pixels[2], frames[i]) << "the tile's own frame, stored blue first";
    }
}

// The sheet as drawn stays within the bound replay gives it (at most 24
// million pixels, README): sends past it are left out before any copy.
TEST(ContactSheet, StopsAtItsPixelBound) {
    constexpr uint64_t kBound = 24'000'000;
    const std::vector<uint8_t> rgb = darkFrame();
    SheetCollector sheet(SIZE_MAX, kBound);
    for (int trigger = 1; trigger <= 300; ++trigger) {
        sheet.add(1, trigger, {0, 0, kWidth, kHeight}, kWidth, kHeight, rgb.data());
    }
    ASSERT_TRUE(sheet.pixelsCapped());
    const Bitmap24 drawn = drawContactSheet(sheet.tiles(), sheet.sends(), true);
    const uint64_t pixels = uint64_t(drawn.width) * uint64_t(drawn.height);
    EXPECT_LE(pixels, kBound) << drawn.width << "x" << drawn.height;
    EXPECT_GT(pixels, kBound / 10 * 9) << "a row of two tiles is under a tenth of the bound";
}

// The outline lies just outside the region, whole, and hides none of its
// dots: with the region's dots white on a dark frame, the white pixels are
// those dots at 4x, and the outline is 2 pixels thick all round.
TEST(ContactSheet, OutlinesTheRegionWithoutHidingIt) {
    const MaskRect regions[] = {{1, 1, 5, 3}, {0, 0, kWidth, kHeight}, {30, 100, kWidth, kHeight}};
    for (const MaskRect& r : regions) {
        SheetTile tile{1, 3, r, true, Bitmap24(kWidth, kHeight)};
        for (int32_t y = r.top; y < r.bottom; ++y) {
            for (int32_t x = r.left; x < r.right; ++x) std::fill_n(tile.picture.row(y) + x * 3, 3, 255);
        }
        const Bitmap24 sheet = drawContactSheet({tile}, 1);
        const size_t width = (r.right - r.left) * 4, height = (r.bottom - r.top) * 4;
        EXPECT_EQ(countPixels(sheet, 255, 255, 255), width * height) << r.left << "," << r.top;
        EXPECT_EQ(countPixels(sheet, 253, 0, 253), (width + 4) * (height + 4) - width * height)
            << r.left << "," << r.top;
    }
}

}  // namespace
