#include <gtest/gtest.h>

#include <type_traits>

#include "core/error.h"
#include "core/gif.h"
#include "tests/core/gif_builder.h"
#include "tests/core/gif_picture.h"

namespace zelk::test {
namespace {

using gif::Disposal;

// The compositor refers to its Image: one made from a temporary would dangle.
static_assert(std::is_constructible_v<gif::Compositor, const gif::Image&>);
static_assert(!std::is_constructible_v<gif::Compositor, gif::Image>);

constexpr uint8_t kWhite = 4;  // the background index of most cases
constexpr uint8_t kClear = 7;  // the transparent index where one is used

gif::Frame frame(int left, int top, const std::vector<std::string>& rows,
                 Disposal disposal = Disposal::None, int transparent = -1) {
    gif::Frame f;
    f.left = left;
    f.top = top;
    f.width = static_cast<int32_t>(rows[0].size());
    f.height = static_cast<int32_t>(rows.size());
    f.palette = letterPalette();
    f.indices = lettersToIndices(rows, kClear);
    f.disposal = disposal;
    f.transparentIndex = transparent;
    return f;
}

gif::Image image(int width, int height, std::vector<gif::Frame> frames,
                 std::optional<uint16_t> loopCount = std::nullopt) {
    gif::Image im;
    im.width = width;
    im.height = height;
    im.globalPalette = letterPalette();
    im.backgroundIndex = kWhite;
    im.loopCount = loopCount;
    im.frames = std::move(frames);
    return im;
}

TEST(GifCompositor, FirstDrawingIsFrameZeroOverTheBackground) {
    const auto im = image(4, 3, {frame(1, 1, {"rg", "bk"})});
    const gif::Compositor c(im);
    EXPECT_EQ(c.currentFrame(), 0);
    EXPECT_TRUE(samePicture(c, im, {"wwww", "wrgw", "wbkw"}, "first_drawing"));
}

TEST(GifCompositor, BackgroundIsBlackWithoutAGlobalEntry) {
    auto noGlobal = image(3, 1, {frame(0, 0, {"r"})});
    noGlobal.globalPalette.clear();
    EXPECT_TRUE(samePicture(gif::Compositor(noGlobal), noGlobal, {"rkk"}, "no_global_table"));

    auto outside = image(3, 1, {frame(2, 0, {"g"})});
    outside.backgroundIndex = 200;
    EXPECT_TRUE(samePicture(gif::Compositor(outside), outside, {"kkg"}, "background_outside_table"));
}

TEST(GifCompositor, PaletteOfTheFrameAndIndicesBeyondItDrawBlack) {
    auto f = frame(0, 0, {"rgbw"});
    f.palette = {{0, 0, 255}, {255, 0, 0}};  // r (1) draws red, g (2) and beyond draw black
    f.indices = {0, 1, 2, 255};
    auto im = image(4, 1, {f});
    EXPECT_TRUE(samePicture(gif::Compositor(im), im, {"brkk"}, "palette_bounds"));
}

TEST(GifCompositor, TransparentPixelsLeaveWhatLiesBeneath) {
    const auto im = image(3, 2, {frame(0, 0, {"rrr", "ggg"}), frame(0, 0, {".b.", "b.b"}, Disposal::None, kClear)});
    gif::Compositor c(im);
    c.advance();
    EXPECT_TRUE(samePicture(c, im, {"rbr", "bgb"}, "transparency"));
}

// Frame 1 (blue, 2x2 at 1,0) is disposed of before frame 2 (one green
// pixel in the corner) is drawn.
TEST(GifCompositor, DisposalOfThePreviousFrame) {
    struct Case {
        Disposal disposal;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {Disposal::None, {"rbbr", "rbbr", "grrr"}},
        {Disposal::Keep, {"rbbr", "rbbr", "grrr"}},
        {Disposal::Background, {"rwwr", "rwwr", "grrr"}},
        {Disposal::Previous, {"rrrr", "rrrr", "grrr"}},
    };
    for (const Case& k : cases) {
        const int method = static_cast<int>(k.disposal);
        SCOPED_TRACE(method);
        const auto im = image(4, 3, {frame(0, 0, {"rrrr", "rrrr", "rrrr"}), frame(1, 0, {"bb", "bb"}, k.disposal),
                                     frame(0, 2, {"g"})});
        gif::Compositor c(im);
        c.advance();
        EXPECT_TRUE(samePicture(c, im, {"rbbr", "rbbr", "rrrr"}, "disposal_frame1_" + std::to_string(method)));
        c.advance();
        EXPECT_TRUE(samePicture(c, im, k.expected, "disposal_" + std::to_string(method)));
    }
}

TEST(GifCompositor, RestoreGoesBackToThePictureBeforeTheFrame) {
    // Frame 0 with disposal 3 restores the background; frame 2 restores
    // frame 1's picture, transparent pixels included.
    const auto im = image(3, 1, {frame(0, 0, {"rrr"}, Disposal::Previous), frame(1, 0, {"g."}, Disposal::Keep, kClear),
                                 frame(0, 0, {"bbb"}, Disposal::Previous), frame(2, 0, {"y"})});
    gif::Compositor c(im);
    EXPECT_TRUE(samePicture(c, im, {"rrr"}, "restore_0"));
    c.advance();
    EXPECT_TRUE(samePicture(c, im, {"wgw"}, "restore_1"));
    c.advance();
    EXPECT_TRUE(samePicture(c, im, {"bbb"}, "restore_2"));
    c.advance();
    EXPECT_TRUE(samePicture(c, im, {"wgy"}, "restore_3"));
}

TEST(GifCompositor, FramesBeyondTheScreenAreClipped) {
    const auto im = image(4, 3, {frame(2, 1, {"rrr", "rrr", "rrr"}, Disposal::Background), frame(3, 2, {"gg", "gg"}),
                                 frame(60000, 0, {"b"}), frame(0, 60000, {"b"})});
    gif::Compositor c(im);
    EXPECT_TRUE(samePicture(c, im, {"wwww", "wwrr", "wwrr"}, "clip_0"));
    c.advance();
    EXPECT_TRUE(samePicture(c, im, {"wwww", "wwww", "wwwg"}, "clip_1"));
    c.advance();
    c.advance();
    EXPECT_TRUE(samePicture(c, im, {"wwww", "wwww", "wwwg"}, "clip_3"));
}

// Three frames; the frame shown after each of 12 advances.
TEST(GifCompositor, PassesFollowTheLoopCount) {
    struct Case {
        std::optional<uint16_t> loopCount;
        std::vector<int> frames;
    };
    const Case cases[] = {
        {std::nullopt, {1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}},  // played once
        {1, {1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
        {2, {1, 2, 0, 1, 2, 2, 2, 2, 2, 2, 2, 2}},
        {3, {1, 2, 0, 1, 2, 0, 1, 2, 2, 2, 2, 2}},
        {0, {1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0}},  // without end
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.loopCount ? std::to_string(*k.loopCount) : "absent");
        const auto im = image(1, 1, {frame(0, 0, {"r"}), frame(0, 0, {"g"}), frame(0, 0, {"b"})}, k.loopCount);
        gif::Compositor c(im);
        std::vector<int> shown;
        for (int i = 0; i < 12; ++i) {
            c.advance();
            shown.push_back(c.currentFrame());
        }
        EXPECT_EQ(shown, k.frames);
    }
}

TEST(GifCompositor, WithoutEndKeepsLoopingFarBeyondSixteenBitsOfPasses) {
    const auto im = image(1, 1, {frame(0, 0, {"r"}), frame(0, 0, {"g"})}, 0);
    gif::Compositor c(im);
    for (int i = 0; i < 2 * 70000; ++i) {
        c.advance();
    }
    EXPECT_EQ(c.currentFrame(), 0);
    c.advance();
    EXPECT_EQ(c.currentFrame(), 1);
}

// Going back fills the last frame's rectangle with the background whatever
// its own disposal; the rest of the picture stays.
TEST(GifCompositor, GoingBackClearsTheLastFramesRectangle) {
    for (Disposal last : {Disposal::None, Disposal::Keep, Disposal::Background, Disposal::Previous}) {
        const int method = static_cast<int>(last);
        SCOPED_TRACE(method);
        const auto im =
            image(4, 1, {frame(0, 0, {"r"}), frame(1, 0, {"ggg"}), frame(1, 0, {"bb"}, last)}, 0);
        gif::Compositor c(im);
        c.advance();
        c.advance();
        EXPECT_TRUE(samePicture(c, im, {"rbbg"}, "back_last_" + std::to_string(method)));
        c.advance();
        EXPECT_EQ(c.currentFrame(), 0);
        EXPECT_TRUE(samePicture(c, im, {"rwwg"}, "back_first_" + std::to_string(method)));
        c.advance();
        EXPECT_TRUE(samePicture(c, im, {"rggg"}, "back_second_" + std::to_string(method)));
    }
}

TEST(GifCompositor, UsedUpPassesStayOnTheLastFrameUnchanged) {
    const auto im = image(3, 1, {frame(0, 0, {"rrr"}), frame(1, 0, {"g"}, Disposal::Background)}, 1);
    gif::Compositor c(im);
    c.advance();
    const auto last = c.canvas();
    for (int i = 0; i < 5; ++i) {
        c.advance();
        EXPECT_EQ(c.currentFrame(), 1);
        EXPECT_EQ(c.canvas(), last);
    }
    EXPECT_TRUE(samePicture(c, im, {"rgr"}, "used_up"));
}

TEST(GifCompositor, SingleFrameStaysOnItsFrame) {
    for (std::optional<uint16_t> loops : {std::optional<uint16_t>{}, std::optional<uint16_t>{0}}) {
        const auto im = image(3, 1, {frame(0, 0, {"r.g"}, Disposal::Background, kClear)}, loops);
        gif::Compositor c(im);
        for (int i = 0; i < 4; ++i) {
            c.advance();
            EXPECT_EQ(c.currentFrame(), 0);
            EXPECT_TRUE(samePicture(c, im, {"rwg"}, "single_frame"));
        }
    }
}

TEST(GifCompositor, EmptyFramesAndImagesAreHarmless) {
    auto im = image(2, 1, {frame(0, 0, {"r"})});
    im.frames.push_back(gif::Frame{});  // 0x0
    gif::Compositor c(im);
    c.advance();
    EXPECT_EQ(c.currentFrame(), 1);
    EXPECT_TRUE(samePicture(c, im, {"rw"}, "empty_frame"));

    const auto none = image(2, 1, {});
    gif::Compositor d(none);
    d.advance();
    EXPECT_EQ(d.currentFrame(), 0);
    EXPECT_TRUE(samePicture(d, none, {"ww"}, "no_frames"));
}

TEST(GifCompositor, RefusesFramesWhoseIndicesDoNotMatchTheirSize) {
    auto im = image(2, 2, {frame(0, 0, {"rr", "rr"})});
    im.frames[0].indices.pop_back();
    EXPECT_THROW(gif::Compositor{im}, Error);
}

// Decoder and compositor together, from bytes built here: an interlaced
// frame with a local palette, then a transparent frame that is restored.
TEST(GifCompositor, ComposesADecodedFile) {
    const auto palette = letterPalette();
    const std::vector<gif::Color> local = {palette[3], palette[5]};  // b, y
    const auto bytes = GifBuilder(3, 9, palette, kWhite)
                           .loop(0)
                           .control(1)
                           .frame({.width = 3, .height = 9,
                                   .indices = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1,
                                               0, 1, 0, 1, 0, 1, 0, 1, 0},
                                   .localPalette = local, .interlaced = true})
                           .control(3, kClear)
                           .frame({.left = 1, .top = 1, .width = 1, .height = 2, .indices = {1, kClear}})
                           .trailer()
                           .bytes();
    const gif::Image im = gif::decode(bytes);
    gif::Compositor c(im);
    const std::vector<std::string> first = {"byb", "yby", "byb", "yby", "byb", "yby", "byb", "yby", "byb"};
    EXPECT_TRUE(samePicture(c, im, first, "decoded_0"));
    c.advance();
    auto second = first;
    second[1][1] = 'r';
    EXPECT_TRUE(samePicture(c, im, second, "decoded_1"));
    c.advance();  // back: frame 1's rectangle becomes background
    auto third = first;
    EXPECT_TRUE(samePicture(c, im, third, "decoded_2"));
}

}  // namespace
}  // namespace zelk::test
