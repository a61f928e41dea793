#include "control/output/dmd_output.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "control/output/bilinear.h"
#include "control/device/recording_device.h"
#include "control/output/reference_resample.h"
#include "control/output/source_fixtures.h"
#include "core/error.h"

namespace zelk::control {
namespace {

using testing::OwnedSource;
using testing::RecordedCall;
using testing::RecordingDevice;

// Red, green, blue of target pixel (x, y) of a 128x32 frame.
const uint8_t* framePixel(const std::vector<uint8_t>& frame, int x, int y) {
    return frame.data() + (static_cast<size_t>(y) * 128 + static_cast<size_t>(x)) * 3;
}

std::vector<uint8_t> sendOne(const OwnedSource& source) {
    RecordingDevice device;
    SendFrameToDmd(device, source.view());
    EXPECT_EQ(device.calls.size(), 1u);
    if (device.calls.size() != 1) return {};
    EXPECT_EQ(device.calls[0].kind, RecordedCall::Kind::Render);
    EXPECT_EQ(device.calls[0].width, 128);
    EXPECT_EQ(device.calls[0].height, 32);
    return device.calls[0].frame;
}

TEST(OpenDmdDevice, EveryCallOpensAndSendsTheGameSettingsAgain) {
    RecordingDevice device;
    OpenDmdDevice(device);
    OpenDmdDevice(device);
    ASSERT_EQ(device.calls.size(), 4u);
    for (size_t i = 0; i < 4; i += 2) {
        EXPECT_EQ(device.calls[i].kind, RecordedCall::Kind::Open);
        const RecordedCall& settings = device.calls[i + 1];
        EXPECT_EQ(settings.kind, RecordedCall::Kind::GameSettings);
        EXPECT_EQ(settings.gameName, "");
        EXPECT_EQ(settings.hardwareGeneration, 3u);
        EXPECT_EQ(settings.options, std::vector<uint8_t>(76, 0));
    }
}

TEST(SendFrameToDmd, A128x32SourceOnlyTradesBlueAndRedWithoutAnyOpen) {
    for (PixelFormat format : {PixelFormat::Bgr24, PixelFormat::Bgra32}) {
        OwnedSource source(128, 32, format, format == PixelFormat::Bgr24 ? 5 : 0);
        source.fillRandom(7);
        const std::vector<uint8_t> frame = sendOne(source);
        ASSERT_EQ(frame.size(), 128u * 32 * 3);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 128; ++x) {
                const uint8_t* stored = source.pixel(x, y);
                const uint8_t* sent = framePixel(frame, x, y);
                ASSERT_EQ(sent[0], stored[2]) << x << "," << y;
                ASSERT_EQ(sent[1], stored[1]) << x << "," << y;
                ASSERT_EQ(sent[2], stored[0]) << x << "," << y;
            }
    }
}

TEST(SendFrameToDmd, PaletteSourceIsSentWithItsPaletteColours) {
    OwnedSource source(128, 32, PixelFormat::Palette8, 3);
    source.fillRandom(11);
    const std::vector<uint8_t> frame = sendOne(source);
    ASSERT_EQ(frame.size(), 128u * 32 * 3);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 128; ++x) {
            const PaletteEntry& e = source.palette[*source.pixel(x, y)];
            const uint8_t* sent = framePixel(frame, x, y);
            ASSERT_EQ(sent[0], e.red);
            ASSERT_EQ(sent[1], e.green);
            ASSERT_EQ(sent[2], e.blue);
        }
}

TEST(SendFrameToDmd, AlphaIsDroppedAndTheStoredColourKept) {
    OwnedSource opaque(200, 50, PixelFormat::Bgra32);
    opaque.fillRandom(5);
    OwnedSource translucent = opaque;
    std::mt19937 random(9);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 200; ++x) {
            opaque.pixel(x, y)[3] = 255;
            translucent.pixel(x, y)[3] = static_cast<uint8_t>(random());
        }
    EXPECT_EQ(sendOne(opaque), sendOne(translucent));
}

TEST(SendFrameToDmd, A129x33SourceIsTheIdentityOnItsFirst128x32Pixels) {
    OwnedSource source(129, 33, PixelFormat::Bgr24);
    source.fillRandom(3);
    const std::vector<uint8_t> frame = sendOne(source);
    ASSERT_EQ(frame.size(), 128u * 32 * 3);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 128; ++x) {
            const uint8_t* stored = source.pixel(x, y);
            const uint8_t* sent = framePixel(frame, x, y);
            ASSERT_EQ(sent[0], stored[2]) << x << "," << y;
            ASSERT_EQ(sent[1], stored[1]);
            ASSERT_EQ(sent[2], stored[0]);
        }
}

// A 64x16 source whose red rises by 4 per column and green by 16 per row:
// target column x must sample x*63/128 and row y must sample y*15/32 (a
// mapping like x*64/128 or x*63/127 misses by more than half a step).
TEST(SendFrameToDmd, A64x16SourceIsEnlargedAlongTheDefinedMapping) {
    OwnedSource source(64, 16, PixelFormat::Bgr24);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            source.setBgr(x, y, 9, static_cast<uint8_t>(16 * y), static_cast<uint8_t>(4 * x));
    const std::vector<uint8_t> frame = sendOne(source);
    ASSERT_EQ(frame.size(), 128u * 32 * 3);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 128; ++x) {
            const uint8_t* sent = framePixel(frame, x, y);
            EXPECT_LE(std::fabs(sent[0] - 4.0 * x * 63 / 128), 0.5) << "column " << x;
            EXPECT_LE(std::fabs(sent[1] - 16.0 * y * 15 / 32), 0.5) << "row " << y;
            EXPECT_EQ(sent[2], 9);
        }
}

// W = 2: target column x mixes the two source columns (128 - x) : x. Column
// 64 lies exactly between them, where the sum ends in .5 and rounds to even.
TEST(SendFrameToDmd, TwoColumnsMixInTheRatioOfTheDistanceWithTiesToEven) {
    struct Case {
        uint8_t left, right;
    };
    for (const Case c : {Case{0, 255}, Case{255, 0}, Case{10, 200}, Case{0, 5}, Case{0, 7}}) {
        OwnedSource source(2, 2, PixelFormat::Bgr24);
        for (int y = 0; y < 2; ++y) {
            source.setBgr(0, y, c.left, c.left, c.left);
            source.setBgr(1, y, c.right, c.right, c.right);
        }
        const std::vector<uint8_t> frame = sendOne(source);
        ASSERT_EQ(frame.size(), 128u * 32 * 3);
        for (int x = 0; x < 128; ++x) {
            const double exact = (c.left * (128.0 - x) + c.right * static_cast<double>(x)) / 128;
            for (int y = 0; y < 32; y += 31)
                EXPECT_LE(std::fabs(framePixel(frame, x, y)[1] - exact), 0.5) << "column " << x;
        }
        const double middle = (c.left + c.right) / 2.0;
        const double even = 2 * std::nearbyint(middle / 2);  // the even neighbour of a tie
        const double expected = middle - std::floor(middle) == 0.5 ? even : std::round(middle);
        EXPECT_EQ(framePixel(frame, 64, 0)[0], expected) << int(c.left) << "/" << int(c.right);
    }
}

TEST(SendFrameToDmd, TiesRoundToTheEvenInteger) {
    // 2.5 gives 2, 3.5 gives 4, 127.5 gives 128.
    struct Case {
        uint8_t right, expected;
    };
    for (const Case c : {Case{5, 2}, Case{7, 4}, Case{255, 128}, Case{253, 126}}) {
        OwnedSource source(2, 2, PixelFormat::Bgr24);
        for (int y = 0; y < 2; ++y) {
            source.setBgr(0, y, 0, 0, 0);
            source.setBgr(1, y, c.right, c.right, c.right);
        }
        const std::vector<uint8_t> frame = sendOne(source);
        ASSERT_FALSE(frame.empty());
        EXPECT_EQ(framePixel(frame, 64, 5)[2], c.expected) << int(c.right);
    }
}

TEST(SendFrameToDmd, SourcesThatCannotBeSentAreDroppedSilently) {
    OwnedSource good(300, 40, PixelFormat::Palette8);
    good.fillRandom(1);
    struct Case {
        const char* what;
        SourceBitmap view;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, auto change) {
        SourceBitmap v = good.view();
        change(v);
        cases.push_back({what, v});
    };
    add("1 pixel wide", [](SourceBitmap& v) { v.width = 1; });
    add("1 pixel high", [](SourceBitmap& v) { v.height = 1; });
    add("1x1", [](SourceBitmap& v) { v.width = v.height = 1; });
    add("empty", [](SourceBitmap& v) { v = SourceBitmap{}; });
    add("0 wide", [](SourceBitmap& v) { v.width = 0; });
    add("negative height", [](SourceBitmap& v) { v.height = -32; });
    add("no pixels", [](SourceBitmap& v) { v.pixels = nullptr; });
    add("no palette", [](SourceBitmap& v) { v.palette = nullptr; });
    add("stride shorter than a row", [](SourceBitmap& v) { v.stride = 299; });
    add("24-bit rows in a palette stride", [](SourceBitmap& v) { v.format = PixelFormat::Bgr24; });
    add("unknown format", [](SourceBitmap& v) { v.format = static_cast<PixelFormat>(7); });
    add("huge stride", [](SourceBitmap& v) { v.stride = SIZE_MAX / 8; });
    for (const Case& c : cases) {
        RecordingDevice device;
        SendFrameToDmd(device, c.view);
        EXPECT_TRUE(device.calls.empty()) << c.what;
        DmdFrame frame{};
        EXPECT_FALSE(BuildDmdFrame(c.view, frame)) << c.what;
    }
    RecordingDevice device;
    SendFrameToDmd(device, good.view());
    EXPECT_EQ(device.count(RecordedCall::Kind::Render), 1u);
}

TEST(SendFrameToDmd, AFailingDeviceDropsTheFrameWithoutRaising) {
    OwnedSource source(128, 32, PixelFormat::Bgr24);
    RecordingDevice device;
    device.throwOnRender = true;
    SendFrameToDmd(device, source.view());
    EXPECT_TRUE(device.calls.empty());
}

TEST(SendFrameToDmd, LeavesTheCallersBitmapUnchanged) {
    for (PixelFormat format : {PixelFormat::Palette8, PixelFormat::Bgr24, PixelFormat::Bgra32})
        for (int32_t width : {128, 500}) {
            OwnedSource source(width, 77, format, 2);
            source.fillRandom(21);
            const OwnedSource before = source;
            sendOne(source);
            EXPECT_EQ(source.bytes, before.bytes);
            EXPECT_EQ(source.palette, before.palette);
        }
}

// The optimised road (sampling the caller's bitmap in place) against the
// plain definition, over many sizes, all formats and padded rows.
TEST(SendFrameToDmd, MatchesThePlainDefinitionBitForBit) {
    const int32_t widths[] = {2, 3, 5, 17, 64, 127, 128, 129, 130, 255, 256, 257, 333, 640, 1920};
    const int32_t heights[] = {2, 3, 7, 16, 31, 32, 33, 64, 100, 480, 1080};
    uint32_t seed = 100;
    for (int32_t w : widths)
        for (int32_t h : heights) {
            const auto format = static_cast<PixelFormat>(seed % 3);
            if (static_cast<int64_t>(w) * h > 300000 && seed % 4 != 0) {
                ++seed;
                continue;  // keep a few of the big ones only
            }
            OwnedSource source(w, h, format, seed % 5);
            source.fillRandom(seed++);
            const std::vector<uint8_t> frame = sendOne(source);
            ASSERT_EQ(frame, testing::referenceFrame(source.view()))
                << w << "x" << h << " format " << static_cast<int>(format);
        }
}

TEST(ResizeBilinear, MatchesThePlainDefinitionForAnyTargetSize) {
    std::mt19937 random(77);
    for (int i = 0; i < 60; ++i) {
        const auto w = static_cast<int32_t>(2 + random() % 300);
        const auto h = static_cast<int32_t>(2 + random() % 120);
        const auto tw = static_cast<int32_t>(1 + random() % 400);
        const auto th = static_cast<int32_t>(1 + random() % 150);
        OwnedSource source(w, h, PixelFormat::Bgr24);
        source.fillRandom(static_cast<uint32_t>(i));
        Bitmap24 bitmap = testing::referenceConvert(source.view());
        const Bitmap24 expected = testing::referenceResize(bitmap, tw, th);
        ResizeBilinear(bitmap, tw, th);
        ASSERT_EQ(bitmap.width, tw);
        ASSERT_EQ(bitmap.height, th);
        ASSERT_EQ(bitmap.pixels, expected.pixels) << w << "x" << h << " to " << tw << "x" << th;
    }
}

TEST(ResizeBilinear, RefusesSourcesUnder2PixelsAndBadSizes) {
    struct Case {
        const char* what;
        int32_t w, h, tw, th;
        bool brokenBuffer;
    };
    const Case cases[] = {
        {"empty", 0, 0, 128, 32, false},      {"1 wide", 1, 32, 128, 32, false},
        {"1 high", 128, 1, 128, 32, false},   {"1x1", 1, 1, 128, 32, false},
        {"target 0 wide", 4, 4, 0, 32, false}, {"target negative", 4, 4, 128, -1, false},
        {"target too big", 4, 4, 70000, 32, false}, {"buffer mismatch", 4, 4, 128, 32, true},
    };
    for (const Case& c : cases) {
        Bitmap24 bitmap(c.w, c.h);
        if (c.brokenBuffer) bitmap.pixels.pop_back();
        const Bitmap24 before = bitmap;
        EXPECT_THROW(ResizeBilinear(bitmap, c.tw, c.th), Error) << c.what;
        EXPECT_EQ(bitmap.width, before.width) << c.what;
        EXPECT_EQ(bitmap.pixels, before.pixels) << c.what;
    }
}

TEST(ViewOf, GivesA24BitViewAndRefusesAnInconsistentBitmap) {
    Bitmap24 bitmap(128, 32);
    bitmap.row(3)[6] = 200;  // blue of pixel (2, 3)
    RecordingDevice device;
    SendFrameToDmd(device, viewOf(bitmap));
    ASSERT_EQ(device.frames().size(), 1u);
    EXPECT_EQ(framePixel(device.frames()[0], 2, 3)[2], 200);

    bitmap.pixels.resize(10);
    SendFrameToDmd(device, viewOf(bitmap));
    EXPECT_EQ(device.frames().size(), 1u);
}

// The pixel kernel's fast road (four channels at once where the processor
// has it) against its plain loop, on random bytes and weights.
TEST(BilinearPixel, FastAndPlainMixingAgree) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> fraction(0.0f, 1.0f);
    for (int i = 0; i < 200000; ++i) {
        const float tx = i % 7 == 0 ? 0.5f : fraction(random);
        const float ty = i % 11 == 0 ? 0.0f : fraction(random);
        const bilinear::Weights w = bilinear::weightsFor({0, 1.0f - tx, tx}, {0, 1.0f - ty, ty});
        const uint32_t c[4] = {static_cast<uint32_t>(random()), static_cast<uint32_t>(random()),
                               static_cast<uint32_t>(random()), static_cast<uint32_t>(random())};
        ASSERT_EQ(bilinear::mixPixel(c[0], c[1], c[2], c[3], w),
                  bilinear::mixPixelScalar(c[0], c[1], c[2], c[3], w))
            << tx << " " << ty;
    }
}

}  // namespace
}  // namespace zelk::control
