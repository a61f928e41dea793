#include "core/halftone_palette.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <type_traits>

#include "control/media/gif_bitmap.h"
#include "control/media/halftone.h"
#include "core/error.h"

namespace zelk {
namespace {

// Palettes that stress the candidate lists: the fixed table, random
// colours, clusters of near-identical entries, many duplicates (ties decided
// by the lowest index), and a palette of one colour.
std::vector<std::pair<const char*, Palette256>> testPalettes() {
    std::vector<std::pair<const char*, Palette256>> palettes;
    palettes.emplace_back("fixed", fixedHalftonePalette());
    std::mt19937 random(42);
    auto byte = [&] { return static_cast<uint8_t>(random()); };
    Palette256 p{};
    for (PaletteEntry& e : p) e = {byte(), byte(), byte()};
    palettes.emplace_back("random", p);
    for (PaletteEntry& e : p)
        e = {static_cast<uint8_t>(100 + random() % 9), static_cast<uint8_t>(random() % 5),
             static_cast<uint8_t>(250 + random() % 6)};
    palettes.emplace_back("clustered", p);
    for (size_t i = 0; i < 256; ++i) p[i] = {static_cast<uint8_t>((i % 4) * 85), 0, 128};
    palettes.emplace_back("duplicates", p);
    p.fill({17, 34, 51});
    palettes.emplace_back("one colour", p);
    return palettes;
}

// Colours on both sides of the cell boundaries (every red and green edge
// pair with four blue edges each) plus a random sample.
std::vector<PaletteEntry> testColours() {
    std::vector<PaletteEntry> colours;
    std::vector<uint8_t> edges;
    for (int v = 0; v < 256; v += 8) {
        edges.push_back(static_cast<uint8_t>(v));
        edges.push_back(static_cast<uint8_t>(v + 7));
    }
    const size_t n = edges.size();
    for (size_t r = 0; r < n; ++r)
        for (size_t g = 0; g < n; ++g)
            for (size_t k = 0; k < 4; ++k)
                colours.push_back({edges[r], edges[g], edges[(7 * r + 3 * g + 16 * k) % n]});
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i)
        colours.push_back({static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                           static_cast<uint8_t>(random())});
    return colours;
}

// gifBitmap refers to its quantiser: one made from a temporary would dangle.
static_assert(std::is_constructible_v<control::GifBitmap, int32_t, int32_t, const HalftoneQuantiser&>);
static_assert(!std::is_constructible_v<control::GifBitmap, int32_t, int32_t, HalftoneQuantiser>);

TEST(HalftoneQuantiser, AgreesWithTheBruteForceRule) {
    const std::vector<PaletteEntry> colours = testColours();
    for (const auto& [name, palette] : testPalettes()) {
        const HalftoneQuantiser quantiser(palette);
        for (const PaletteEntry& c : colours)
            ASSERT_EQ(quantiser.nearestIndex(c.red, c.green, c.blue),
                      nearestIndexBruteForce(palette, c.red, c.green, c.blue))
                << name << " " << int(c.red) << "," << int(c.green) << "," << int(c.blue);
    }
}

// Every one of the 2^24 colours; slow, so only when asked for with
// ZELK_EXHAUSTIVE_TESTS=1.
TEST(HalftoneQuantiser, AgreesWithTheBruteForceRuleForEveryColour) {
    if (std::getenv("ZELK_EXHAUSTIVE_TESTS") == nullptr)
        GTEST_SKIP() << "set ZELK_EXHAUSTIVE_TESTS=1 to run";
    for (const auto& [name, palette] : testPalettes()) {
        const HalftoneQuantiser quantiser(palette);
        for (int r = 0; r < 256; ++r)
            for (int g = 0; g < 256; ++g)
                for (int b = 0; b < 256; ++b) {
                    const auto R = static_cast<uint8_t>(r), G = static_cast<uint8_t>(g),
                               B = static_cast<uint8_t>(b);
                    ASSERT_EQ(quantiser.nearestIndex(R, G, B),
                              nearestIndexBruteForce(palette, R, G, B))
                        << name << " " << r << "," << g << "," << b;
                }
    }
}

TEST(HalftoneQuantiser, RuleIsSmallestSquaredDistanceThenLowestIndex) {
    Palette256 palette{};
    palette.fill({255, 255, 255});
    palette[3] = {10, 0, 0};
    palette[5] = {0, 0, 10};   // as near to black as entry 3: the lower index wins
    palette[9] = {6, 6, 6};    // 108 from black: farther than entries 3 and 5
    palette[200] = {0, 0, 0};  // exact
    const HalftoneQuantiser quantiser(palette);
    EXPECT_EQ(quantiser.nearestIndex(0, 0, 0), 200);
    EXPECT_EQ(quantiser.nearestIndex(0, 0, 1), 200);
    palette[200] = {255, 255, 255};
    const HalftoneQuantiser withoutBlack(palette);
    EXPECT_EQ(withoutBlack.nearestIndex(0, 0, 0), 3);       // 100 vs 100 vs 108
    EXPECT_EQ(withoutBlack.nearestIndex(4, 4, 4), 9);       // 12 against 68 and 68
    EXPECT_EQ(withoutBlack.nearestIndex(250, 250, 250), 0);  // first white
}

TEST(HalftoneQuantiser, ExactPaletteColoursMapToThemselves) {
    const Palette256& palette = fixedHalftonePalette();
    const HalftoneQuantiser quantiser(palette);
    for (size_t i = 0; i < 256; ++i) {
        const PaletteEntry& e = palette[i];
        EXPECT_EQ(palette[quantiser.nearestIndex(e.red, e.green, e.blue)], e) << i;
    }
}

TEST(HalftoneQuantiser, QuantisesAnRgbCanvasAndRefusesMismatchedSizes) {
    const HalftoneQuantiser quantiser(fixedHalftonePalette());
    const std::vector<uint8_t> rgb = {255, 0, 0, 0, 0, 255, 51, 102, 153, 12, 12, 12};
    std::vector<uint8_t> indices(4);
    quantiser.quantise(rgb, indices);
    // Pure red and blue are in the cube before the static colours: the lower index wins.
    EXPECT_EQ(indices, (std::vector<uint8_t>{10 + 36 * 5, 10 + 5, 10 + 36 * 1 + 6 * 2 + 3, 226}));
    std::vector<uint8_t> tooFew(3);
    EXPECT_THROW(quantiser.quantise(rgb, tooFew), Error);
}

TEST(FixedHalftonePalette, HasTheStaticColoursTheCubeAndTheGrays) {
    const Palette256& p = fixedHalftonePalette();
    EXPECT_EQ(p[0], (PaletteEntry{0, 0, 0}));
    EXPECT_EQ(p[7], (PaletteEntry{192, 192, 192}));
    EXPECT_EQ(p[255], (PaletteEntry{255, 255, 255}));
    EXPECT_EQ(p[249], (PaletteEntry{255, 0, 0}));
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                EXPECT_EQ(p[static_cast<size_t>(10 + 36 * r + 6 * g + b)],
                          (PaletteEntry{static_cast<uint8_t>(51 * r), static_cast<uint8_t>(51 * g),
                                        static_cast<uint8_t>(51 * b)}));
    std::set<int> grays;
    for (size_t i = 226; i < 246; ++i) {
        EXPECT_TRUE(p[i].red == p[i].green && p[i].green == p[i].blue) << i;
        EXPECT_NE(p[i].red % 51, 0) << "gray " << i << " repeats a cube level";
        grays.insert(p[i].red);
    }
    EXPECT_EQ(grays.size(), 20u);
}

TEST(PlatformHalftonePalette, IsTheFixedTableOnThisPlatform) {
    EXPECT_EQ(control::platformHalftonePalette(), fixedHalftonePalette());
}

}  // namespace
}  // namespace zelk
