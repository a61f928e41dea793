#include <gtest/gtest.h>

#include <string>

#include "core/error.h"
#include "core/gif.h"
#include "core/gif_lzw.h"
#include "tests/core/gif_builder.h"

namespace zelk::test {
namespace {

using gif::Color;
using gif::Disposal;

const std::vector<Color> kFour = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

// Pixels that change from one to the next, so no two rows look alike.
std::vector<uint8_t> pattern(int width, int height, int colours, unsigned seed = 1) {
    std::vector<uint8_t> out(static_cast<size_t>(width * height));
    for (auto& v : out) {
        seed = seed * 1103515245u + 12345u;
        v = static_cast<uint8_t>((seed >> 16) % static_cast<unsigned>(colours));
    }
    return out;
}

// Returns the error's message, or "" when decoding succeeded.
std::string decodeError(const std::vector<uint8_t>& bytes, const gif::Limits& limits = {}) {
    try {
        gif::decode(bytes, limits);
    } catch (const Error& e) {
        EXPECT_EQ(e.className(), "EGifError");
        return e.what();
    }
    return "";
}

TEST(GifDecoder, ReadsScreenPaletteAndFrameOfBothVersions) {
    for (const char* version : {"GIF87a", "GIF89a"}) {
        SCOPED_TRACE(version);
        const auto pixels = pattern(5, 3, 4);
        const auto bytes = GifBuilder(7, 6, kFour, 2, version)
                               .frame({.left = 1, .top = 2, .width = 5, .height = 3, .indices = pixels})
                               .trailer()
                               .bytes();
        const gif::Image image = gif::decode(bytes);
        EXPECT_EQ(image.width, 7);
        EXPECT_EQ(image.height, 6);
        EXPECT_EQ(image.backgroundIndex, 2);
        ASSERT_EQ(image.globalPalette.size(), 4u);
        EXPECT_EQ(image.globalPalette[1].red, 255);
        EXPECT_EQ(image.globalPalette[3].blue, 255);
        EXPECT_FALSE(image.loopCount.has_value());
        ASSERT_EQ(image.frames.size(), 1u);
        const gif::Frame& f = image.frames[0];
        EXPECT_EQ(f.left, 1);
        EXPECT_EQ(f.top, 2);
        EXPECT_EQ(f.width, 5);
        EXPECT_EQ(f.height, 3);
        EXPECT_FALSE(f.interlaced);
        EXPECT_EQ(f.indices, pixels);
        EXPECT_EQ(f.transparentIndex, -1);
        EXPECT_EQ(f.disposal, Disposal::None);
        EXPECT_EQ(f.palette.size(), 4u);
    }
}

TEST(GifDecoder, LocalPaletteReplacesGlobalForItsFrameOnly) {
    const std::vector<Color> local = {{1, 2, 3}, {4, 5, 6}};
    const auto bytes = GifBuilder(2, 1, kFour)
                           .frame({.width = 2, .height = 1, .indices = {0, 1}, .localPalette = local})
                           .frame({.width = 2, .height = 1, .indices = {3, 2}})
                           .trailer()
                           .bytes();
    const gif::Image image = gif::decode(bytes);
    ASSERT_EQ(image.frames.size(), 2u);
    ASSERT_EQ(image.frames[0].palette.size(), 2u);
    EXPECT_EQ(image.frames[0].palette[1].green, 5);
    ASSERT_EQ(image.frames[1].palette.size(), 4u);
    EXPECT_EQ(image.frames[1].palette[1].red, 255);
    EXPECT_EQ(image.frames[1].indices, (std::vector<uint8_t>{3, 2}));
}

TEST(GifDecoder, FrameWithoutAnyPaletteHasAnEmptyOne) {
    const auto bytes = GifBuilder(2, 1).frame({.width = 2, .height = 1, .indices = {1, 0}}).trailer().bytes();
    const gif::Image image = gif::decode(bytes);
    EXPECT_TRUE(image.globalPalette.empty());
    EXPECT_TRUE(image.frames[0].palette.empty());
    EXPECT_EQ(image.frames[0].indices, (std::vector<uint8_t>{1, 0}));
}

// A frame may have no pixels (interlaced or not); it still counts as a frame.
TEST(GifDecoder, FramesWithoutPixelsAreKept) {
    const auto bytes = GifBuilder(2, 2, kFour)
                           .frame({.width = 0, .height = 5, .interlaced = true})
                           .frame({.width = 3, .height = 0})
                           .frame({.width = 0, .height = 0, .interlaced = true})
                           .trailer()
                           .bytes();
    const gif::Image image = gif::decode(bytes);
    ASSERT_EQ(image.frames.size(), 3u);
    for (const gif::Frame& f : image.frames) {
        EXPECT_TRUE(f.indices.empty());
    }
}

// Every height exercises a different mix of the four interlace passes.
TEST(GifDecoder, InterlacedRowsComeBackInOrder) {
    for (int height = 1; height <= 19; ++height) {
        SCOPED_TRACE(height);
        std::vector<uint8_t> rows;
        for (int y = 0; y < height; ++y) {
            rows.insert(rows.end(), {static_cast<uint8_t>(y), static_cast<uint8_t>(y + 100)});
        }
        std::vector<Color> palette(256);
        const auto bytes = GifBuilder(2, height, palette)
                               .frame({.width = 2, .height = height, .indices = rows, .interlaced = true})
                               .trailer()
                               .bytes();
        const gif::Image image = gif::decode(bytes);
        EXPECT_TRUE(image.frames[0].interlaced);
        EXPECT_EQ(image.frames[0].indices, rows);
    }
}

TEST(GifDecoder, ControlExtensionAppliesToTheNextFrameOnly) {
    struct Case {
        int disposalBits;
        Disposal disposal;
        int transparent;
        uint16_t delay;
    };
    const Case cases[] = {
        {0, Disposal::None, -1, 0},      {1, Disposal::Keep, 3, 10},
        {2, Disposal::Background, 0, 65535}, {3, Disposal::Previous, 255, 7},
        {4, Disposal::None, -1, 1},      {7, Disposal::None, 1, 2},  // undefined methods
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.disposalBits);
        const auto bytes = GifBuilder(1, 1, kFour)
                               .control(c.disposalBits, c.transparent, c.delay)
                               .frame({.width = 1, .height = 1, .indices = {1}})
                               .frame({.width = 1, .height = 1, .indices = {2}})
                               .trailer()
                               .bytes();
        const gif::Image image = gif::decode(bytes);
        ASSERT_EQ(image.frames.size(), 2u);
        EXPECT_EQ(image.frames[0].disposal, c.disposal);
        EXPECT_EQ(image.frames[0].transparentIndex, c.transparent);
        EXPECT_EQ(image.frames[0].delayCentiseconds, c.delay);
        EXPECT_EQ(image.frames[1].disposal, Disposal::None);
        EXPECT_EQ(image.frames[1].transparentIndex, -1);
        EXPECT_EQ(image.frames[1].delayCentiseconds, 0);
    }
}

TEST(GifDecoder, LoopCountComesFromTheLoopingExtension) {
    struct Case {
        const char* application;  // nullptr: no extension
        uint16_t count;
        std::optional<uint16_t> expected;
    };
    const Case cases[] = {
        {nullptr, 0, std::nullopt},          {"NETSCAPE2.0", 0, 0},
        {"NETSCAPE2.0", 1, 1},               {"NETSCAPE2.0", 65535, 65535},
        {"ANIMEXTS1.0", 3, 3},               {"XMP DataXMP", 5, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.application ? c.application : "none");
        GifBuilder gif(1, 1, kFour);
        if (c.application) {
            gif.loop(c.count, c.application);
        }
        gif.frame({.width = 1, .height = 1, .indices = {1}}).trailer();
        EXPECT_EQ(gif::decode(gif.bytes()).loopCount, c.expected);
    }
}

TEST(GifDecoder, CommentPlainTextAndUnknownExtensionsAreSkipped) {
    const auto bytes = GifBuilder(2, 1, kFour)
                           .comment(std::string(600, 'c'))  // spans three sub-blocks
                           .control(2, 1)  // taken by the plain-text block
                           .raw({0x21, 0x01, 12, 0, 0, 0, 0, 2, 0, 1, 0, 8, 8, 1, 0, 3, 'a', 'b', 'c', 0})
                           .raw({0x21, 0x42, 2, 9, 9, 1, 9, 0})  // unknown label
                           .frame({.width = 2, .height = 1, .indices = {2, 3}})
                           .comment("after")
                           .trailer()
                           .bytes();
    const gif::Image image = gif::decode(bytes);
    ASSERT_EQ(image.frames.size(), 1u);
    EXPECT_EQ(image.frames[0].indices, (std::vector<uint8_t>{2, 3}));
    EXPECT_EQ(image.frames[0].disposal, Disposal::None);
    EXPECT_EQ(image.frames[0].transparentIndex, -1);
}

// All minimum code sizes, with the plain encoder and with real compression
// that fills the 4096-entry table (then clears it, or keeps it full).
TEST(GifDecoder, LzwRoundTripsForEveryCodeSizeAndEncoder) {
    for (int colours : {2, 4, 8, 16, 32, 64, 128, 256}) {
        for (Lzw lzw : {Lzw::Plain, Lzw::Compressed, Lzw::CompressedNoClear}) {
            SCOPED_TRACE(std::to_string(colours) + " colours, encoder " +
                         std::to_string(static_cast<int>(lzw)));
            // Noise fills the table; the runs afterwards exercise long strings.
            auto pixels = pattern(96, 96, colours, static_cast<unsigned>(colours));
            for (size_t i = pixels.size() / 2; i < pixels.size(); ++i) {
                pixels[i] = static_cast<uint8_t>((i / 40) % static_cast<size_t>(colours));
            }
            const auto bytes = GifBuilder(96, 96, std::vector<Color>(static_cast<size_t>(colours)))
                                   .frame({.width = 96, .height = 96, .indices = pixels, .lzw = lzw})
                                   .trailer()
                                   .bytes();
            EXPECT_EQ(gif::decode(bytes).frames[0].indices, pixels);
        }
    }
}

TEST(GifLzw, StringOfTheCodeBeingDefinedAndSizeEdges) {
    // 2-bit codes: clear=4, end=5. Codes: clear, 1, 6 (= "1"+"1", defined by
    // this very code), 6, end — 3-bit codes throughout.
    BitWriter w;
    for (unsigned code : {4u, 1u, 6u, 6u, 5u}) {
        w.put(code, 3);
    }
    const auto data = w.finish();
    std::vector<uint8_t> out(5, 9);
    EXPECT_EQ(gif::decodeLzw(data, 2, out), 5u);
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 1, 1, 1, 1}));

    // Surplus pixels are ignored: the same stream into 3 pixels.
    std::vector<uint8_t> small(3, 9);
    EXPECT_EQ(gif::decodeLzw(data, 2, small), 3u);
    EXPECT_EQ(small, (std::vector<uint8_t>{1, 1, 1}));

    // Data that ends early reports how much it produced.
    std::vector<uint8_t> large(8, 9);
    EXPECT_EQ(gif::decodeLzw(data, 2, large), 5u);
}

TEST(GifDecoder, MissingPixelsAreZeroAndSurplusPixelsIgnored) {
    const std::vector<uint8_t> six = {1, 2, 3, 1, 2, 3};
    const auto shortData = encodePlain({3, 3, 3}, 2);
    const auto longData = encodePlain({1, 2, 3, 1, 2, 3, 3, 3, 3}, 2);
    const auto bytes = GifBuilder(3, 2, kFour)
                           .frameData({.width = 3, .height = 2}, 2, shortData)
                           .frameData({.width = 3, .height = 2}, 2, longData)
                           .frameData({.width = 3, .height = 2}, 2, {})
                           .trailer()
                           .bytes();
    const gif::Image image = gif::decode(bytes);
    ASSERT_EQ(image.frames.size(), 3u);
    EXPECT_EQ(image.frames[0].indices, (std::vector<uint8_t>{3, 3, 3, 0, 0, 0}));
    EXPECT_EQ(image.frames[1].indices, six);
    EXPECT_EQ(image.frames[2].indices, std::vector<uint8_t>(6, 0));
}

std::vector<uint8_t> codes3(std::initializer_list<unsigned> codes) {
    BitWriter w;
    for (unsigned c : codes) {
        w.put(c, 3);
    }
    return w.finish();
}

TEST(GifDecoder, CorruptFilesAreRefusedWithAReason) {
    const FrameSpec one = {.width = 1, .height = 1};
    const auto good = encodePlain({1}, 2);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty file", {}, "truncated header"},
        {"PNG signature", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 0, 0}, "not a GIF87a or GIF89a"},
        {"unknown version", GifBuilder(1, 1, kFour, 0, "GIF88a").frameData(one, 2, good).trailer().bytes(),
         "not a GIF87a or GIF89a"},
        {"zero width", GifBuilder(0, 1, kFour).frameData(one, 2, good).trailer().bytes(), "empty logical screen"},
        {"zero height", GifBuilder(1, 0, kFour).frameData(one, 2, good).trailer().bytes(), "empty logical screen"},
        {"no frame", GifBuilder(1, 1, kFour).comment("x").trailer().bytes(), "no frame"},
        {"unknown block", GifBuilder(1, 1, kFour).frameData(one, 2, good).raw({0x00}).trailer().bytes(),
         "unknown block 0x00"},
        {"stray byte before frame", GifBuilder(1, 1, kFour).raw({'!' + 1}).frameData(one, 2, good).bytes(),
         "unknown block 0x22"},
        {"code size 0", GifBuilder(1, 1, kFour).frameData(one, 0, good).trailer().bytes(), "minimum code size 0"},
        {"code size 1", GifBuilder(1, 1, kFour).frameData(one, 1, good).trailer().bytes(), "minimum code size 1"},
        {"code size 9", GifBuilder(1, 1, kFour).frameData(one, 9, good).trailer().bytes(), "minimum code size 9"},
        {"code size 12", GifBuilder(1, 1, kFour).frameData(one, 12, good).trailer().bytes(), "minimum code size 12"},
        {"code not defined yet",
         GifBuilder(2, 1, kFour).frameData({.width = 2, .height = 1}, 2, codes3({4, 1, 7, 5})).trailer().bytes(),
         "code 7 is not defined yet"},
        {"table code after clear",
         GifBuilder(2, 1, kFour).frameData({.width = 2, .height = 1}, 2, codes3({4, 6, 5})).trailer().bytes(),
         "code 6 follows a clear code"},
        {"short control extension",
         GifBuilder(1, 1, kFour).raw({0x21, 0xF9, 3, 0, 0, 0, 0}).frameData(one, 2, good).trailer().bytes(),
         "graphic control extension of 3 bytes"},
        {"corrupt second frame",
         GifBuilder(2, 1, kFour).frameData(one, 2, good).frameData({.width = 2, .height = 1}, 2, codes3({4, 1, 7})).trailer().bytes(),
         "not defined yet"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string error = decodeError(c.bytes);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(GifDecoder, SizesBeyondTheLimitsAreRefusedBeforeAllocating) {
    // Header and screen only: refused on the screen descriptor, before the
    // (absent) frames could be looked at, so nothing of 65535x65535 is made.
    EXPECT_NE(decodeError(GifBuilder(65535, 65535, kFour).bytes()).find(
                  "logical screen of 65535x65535 exceeds the limit of 4096"),
              std::string::npos);
    EXPECT_NE(decodeError(GifBuilder(4097, 1, kFour).bytes()).find("logical screen"), std::string::npos);

    const auto good = encodePlain({1}, 2);
    const auto hugeFrame =
        GifBuilder(16, 16, kFour).frameData({.width = 65535, .height = 65535}, 2, good).trailer().bytes();
    EXPECT_NE(decodeError(hugeFrame).find("frame of 65535x65535 exceeds"), std::string::npos);

    // 4096x4096 is within the side limit but four of them exceed 64 Mi pixels.
    GifBuilder many(16, 16, kFour);
    for (int i = 0; i < 5; ++i) {
        many.frameData({.width = 4096, .height = 4096}, 2, good);
    }
    EXPECT_NE(decodeError(many.trailer().bytes()).find("pixels in all"), std::string::npos);

    GifBuilder frames(1, 1, kFour);
    for (int i = 0; i < 4; ++i) {
        frames.frameData({.width = 1, .height = 1}, 2, good);
    }
    frames.trailer();
    EXPECT_NE(decodeError(frames.bytes(), {.maxFrames = 3}).find("more than 3 frames"), std::string::npos);
    EXPECT_EQ(decodeError(frames.bytes(), {.maxFrames = 4}), "");
    EXPECT_EQ(decodeError(GifBuilder(4096, 4096, kFour).frameData({.width = 1, .height = 1}, 2, good).trailer().bytes()), "");
}

// The documented leniency: once one frame is complete the file may end
// anywhere, and what follows the last complete frame is dropped.
TEST(GifDecoder, EndsAfterACompleteFrameAreAccepted) {
    const auto first = pattern(4, 4, 4, 1);
    const auto second = pattern(4, 4, 4, 2);
    GifBuilder gif(4, 4, kFour);
    gif.loop(0).frame({.width = 4, .height = 4, .indices = first}).frame(
        {.width = 4, .height = 4, .indices = second});
    const std::vector<uint8_t> noTrailer = gif.bytes();

    const gif::Image image = gif::decode(noTrailer);
    ASSERT_EQ(image.frames.size(), 2u);
    EXPECT_EQ(image.frames[1].indices, second);
    EXPECT_EQ(image.loopCount, 0);

    // The second frame's data cut off in the middle: only the first remains.
    const std::vector<uint8_t> cut(noTrailer.begin(), noTrailer.end() - 4);
    const gif::Image shorter = gif::decode(cut);
    ASSERT_EQ(shorter.frames.size(), 1u);
    EXPECT_EQ(shorter.frames[0].indices, first);
}

TEST(GifDecoder, TruncatedAtEveryLengthIsRefusedOrKeepsTheCompleteFrames) {
    std::vector<Color> sixteen(16, Color{9, 9, 9});
    GifBuilder gif(12, 10, kFour, 1);
    std::vector<size_t> frameEnds;
    gif.loop(2).comment("made by the tests").control(2, 0, 5);
    gif.frame({.left = 1, .top = 1, .width = 8, .height = 8, .indices = pattern(8, 8, 4)});
    frameEnds.push_back(gif.size());
    gif.control(3, 1).frame({.width = 12, .height = 10, .indices = pattern(12, 10, 16, 3),
                             .localPalette = sixteen, .interlaced = true, .lzw = Lzw::Compressed});
    frameEnds.push_back(gif.size());
    gif.frame({.left = 4, .top = 4, .width = 3, .height = 3, .indices = pattern(3, 3, 4, 4)});
    frameEnds.push_back(gif.size());
    gif.trailer();
    const std::vector<uint8_t>& whole = gif.bytes();

    for (size_t length = 0; length <= whole.size(); ++length) {
        SCOPED_TRACE(length);
        const std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<long>(length));
        size_t complete = 0;
        while (complete < frameEnds.size() && frameEnds[complete] <= length) {
            ++complete;
        }
        if (complete == 0) {
            EXPECT_NE(decodeError(part).find("truncated"), std::string::npos);
        } else {
            EXPECT_EQ(gif::decode(part).frames.size(), complete);
        }
    }
}

}  // namespace
}  // namespace zelk::test
