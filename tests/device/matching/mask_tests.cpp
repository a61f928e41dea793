// Mask rules, the marker search and region matching: the pure pieces of the
// capture set.
#include <gtest/gtest.h>

#include <random>

#include "device/matching/trigger_set.h"
#include "device/matching/zelk_frame.h"
#include "device/fake_platform.h"

namespace {

using zelk::Bitmap24;
using zelk::device::MaskRect;
using zelk::device::RegionMatches;
using zelk::device::FindMarkerBox;
using zelk::device::TZelkFrame;
using zelk::test::pictureFromArt;

Bitmap24 onePixel(uint8_t a, uint8_t b, uint8_t c) {
    Bitmap24 picture(1, 1);
    picture.pixels = {a, b, c};
    return picture;
}

TEST(Mask, ThresholdAndExactRules) {
    struct Case {
        uint8_t a, b, c;
        uint8_t threshold, exact;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0},        {1, 2, 4, 0, 7},       {100, 50, 51, 255, 119},
        {100, 50, 50, 0, 118},  {200, 0, 0, 0, 200},   {0, 0, 201, 255, 201},
        {50, 50, 50, 0, 50},    {255, 255, 255, 255, 255}, {253, 0, 253, 255, 253},
        {67, 67, 67, 255, 67},  {66, 67, 67, 0, 67},
    };
    for (const Case& c : cases) {
        const Bitmap24 picture = onePixel(c.a, c.b, c.c);
        EXPECT_EQ(TZelkFrame(picture, false).Frame[0], c.threshold) << int(c.a) << "," << int(c.b) << "," << int(c.c);
        EXPECT_EQ(TZelkFrame(picture, true).Frame[0], c.exact) << int(c.a) << "," << int(c.b) << "," << int(c.c);
        // The rule does not care about the byte order of the pixel.
        EXPECT_EQ(TZelkFrame(onePixel(c.c, c.b, c.a), true).Frame[0], c.exact);
    }
}

TEST(Mask, UpdateReadsTheTopLeftAndRefusesSmallerPictures) {
    TZelkFrame mask(pictureFromArt({"#.", ".#"}), false);
    ASSERT_EQ(mask.fWidth, 2);
    ASSERT_EQ(mask.fHeight, 2);
    EXPECT_EQ(mask.Frame, (std::vector<uint8_t>{255, 0, 0, 255}));
    EXPECT_TRUE(mask.updateFrame(pictureFromArt({".##", "#..", "###"}), false));
    EXPECT_EQ(mask.Frame, (std::vector<uint8_t>{0, 255, 255, 0}));
    for (const auto& art : std::vector<std::vector<std::string>>{{"##", }, {"#", "#"}, {}}) {
        EXPECT_FALSE(mask.updateFrame(pictureFromArt(art), false));
        EXPECT_EQ(mask.Frame, (std::vector<uint8_t>{0, 255, 255, 0})) << "left as it was";
    }
}

TEST(Mask, FindMarkerBoxCases) {
    struct Case {
        const char* what;
        std::vector<std::string> art;
        std::optional<MaskRect> box;
    };
    const Case cases[] = {
        {"outline at 0,0 with edges 10 and 6",
         {"MMMMMMMMMM..", "M........M..", "M..####..M..", "M........M..", "M........M..", "MMMMMMMMMM..",
          "............"},
         MaskRect{1, 1, 9, 5}},
        {"smallest outline (4 by 4)",
         {"......", ".MMMM.", ".M..M.", ".M..M.", ".MMMM.", "......"}, MaskRect{2, 2, 4, 4}},
        {"no marker", {"####", "#..#", "####"}, std::nullopt},
        {"run of 3 rightwards", {"MMM...", "M.....", "M.....", "M....."}, std::nullopt},
        {"run of 3 downwards", {"MMMM", "M...", "M...", "...."}, std::nullopt},
        {"stray pixel above the outline",
         {"...M....", "........", ".MMMMM..", ".M...M..", ".M...M..", ".MMMMM.."}, std::nullopt},
        {"stray pixel left of the corner",
         {"M.MMMMM", "..M...M", "..M...M", "..MMMMM"}, std::nullopt},
        {"top edge reaching the right border",
         {"..MMMM", "..M...", "..M...", "..M...", "..M..."}, MaskRect{1, 3, 5, 4}},
        {"only top and left edges count", {"MMMMM", "M....", "M....", "M...."}, MaskRect{1, 1, 4, 3}},
        {"left edge reaching the bottom", {"MMMM", "M..#", "M..#", "M..#", "M..#"}, MaskRect{1, 1, 3, 4}},
        {"near-marker colour is no marker", {"oooo", "o..o", "o..o", "oooo"}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindMarkerBox(pictureFromArt(c.art)), c.box) << c.what;
    }
    // Marker colour in either byte order is the same (253, 0, 253).
    Bitmap24 empty;
    EXPECT_EQ(FindMarkerBox(empty), std::nullopt);
}

TEST(Mask, RegionMatchesOnlyInsideTheLiveMask) {
    const TZelkFrame live(pictureFromArt({"....", ".##.", ".#..", "...."}), false);
    const TZelkFrame corner(pictureFromArt({"##", "#."}), false);
    const TZelkFrame blank(pictureFromArt({"..", ".."}), false);
    struct Case {
        const TZelkFrame* trigger;
        MaskRect rect;
        bool matches;
    };
    const Case cases[] = {
        {&corner, {1, 1, 3, 3}, true},
        {&corner, {0, 0, 2, 2}, false},
        {&blank, {2, 2, 4, 4}, true},
        {&blank, {1, 1, 3, 3}, false},
        // Regions that do not lie inside the live mask never match.
        {&blank, {3, 3, 5, 5}, false},
        {&blank, {-1, 0, 1, 2}, false},
        {&blank, {0, -1, 2, 1}, false},
        {&blank, {2, 3, 5, 4}, false},
        {&corner, {3, 1, 3, 5}, false},
        // A region with more rows than the trigger mask has is refused too.
        {&corner, {0, 0, 2, 3}, false},
        // Nothing to compare: matches every frame.
        {&corner, {2, 2, 2, 2}, true},
        {nullptr, {1, 1, 3, 3}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RegionMatches(&live, c.trigger, c.rect), c.matches)
            << c.rect.top << "," << c.rect.left << "," << c.rect.right << "," << c.rect.bottom;
    }
    EXPECT_FALSE(RegionMatches(nullptr, &corner, {1, 1, 3, 3}));
}

}  // namespace
