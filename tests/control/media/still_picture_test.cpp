// The still-picture decoder of this platform (libpng and libjpeg-turbo): PNG and JPEG by content, 32-bit output,
// limits checked before allocating, corrupt and truncated data refused.
#include <gtest/gtest.h>

#include <cstdlib>

#include "control/media/still_picture.h"
#include "core/error.h"
#include "picture_writer.h"

namespace zelk::control {
namespace {

const uint8_t kQuarters[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

// Pixel (x, y) of a decoded picture as red, green, blue, alpha.
std::array<int, 4> rgbaAt(const StillPicture& picture, int x, int y) {
    const uint8_t* p = picture.pixels.data() + (static_cast<size_t>(y) * static_cast<size_t>(picture.width) +
                                                static_cast<size_t>(x)) * 4;
    return {p[2], p[1], p[0], p[3]};
}

void expectQuarters(const StillPicture& picture, int tolerance, int alpha) {
    const int w = picture.width, h = picture.height;
    const int probes[4][2] = {{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    for (int q = 0; q < 4; ++q) {
        const std::array<int, 4> got = rgbaAt(picture, probes[q][0], probes[q][1]);
        for (int c = 0; c < 3; ++c) EXPECT_LE(std::abs(got[c] - kQuarters[q][c]), tolerance) << "quarter " << q;
        EXPECT_EQ(got[3], alpha);
    }
}

TEST(StillPicture, DecodesPngToBgraKeepingAlpha) {
    const std::unique_ptr<StillPictureDecoder> decoder = makeStillPictureDecoder();
    const StillPicture opaque = decoder->decode(test::writePng(20, 10, test::quartersRgba(20, 10, kQuarters, 255)));
    ASSERT_EQ(opaque.width, 20);
    ASSERT_EQ(opaque.height, 10);
    ASSERT_EQ(opaque.pixels.size(), 20u * 10u * 4u);
    expectQuarters(opaque, 0, 255);
    // Colour values of translucent pixels are kept as stored, not premultiplied.
    const StillPicture translucent = decoder->decode(test::writePng(8, 8, test::quartersRgba(8, 8, kQuarters, 128)));
    expectQuarters(translucent, 0, 128);
}

// A 16-bit PNG without colour information keeps its stored values, scaled to
// 8 bits, as the Windows decoder gives them: mid grey 0x8080 stays 128 and
// does not come out brightened to about 188 as if it were linear light.
TEST(StillPicture, Decodes16BitPngWithoutColourChunkAsStored) {
    const std::unique_ptr<StillPictureDecoder> decoder = makeStillPictureDecoder();
    const std::vector<uint16_t> samples = {0x0000, 0x8080, 0xffff, 0x4040, 0xc0c0, 0x2020};
    const StillPicture picture = decoder->decode(test::writePng16Untagged(2, 1, 3, samples));
    ASSERT_EQ(picture.width, 2);
    ASSERT_EQ(picture.height, 1);
    EXPECT_EQ(rgbaAt(picture, 0, 0), (std::array<int, 4>{0x00, 0x80, 0xff, 255}));
    EXPECT_EQ(rgbaAt(picture, 1, 0), (std::array<int, 4>{0x40, 0xc0, 0x20, 255}));
    // With alpha, translucent colours are kept as stored too.
    const std::vector<uint16_t> translucent = {0x8080, 0x4040, 0xc0c0, 0x8080, 0xffff, 0x2020, 0x0000, 0x4040};
    const StillPicture withAlpha = decoder->decode(test::writePng16Untagged(2, 1, 4, translucent));
    EXPECT_EQ(rgbaAt(withAlpha, 0, 0), (std::array<int, 4>{0x80, 0x40, 0xc0, 0x80}));
    EXPECT_EQ(rgbaAt(withAlpha, 1, 0), (std::array<int, 4>{0xff, 0x20, 0x00, 0x40}));
}

TEST(StillPicture, DecodesColourAndGreyJpeg) {
    const std::unique_ptr<StillPictureDecoder> decoder = makeStillPictureDecoder();
    std::vector<uint8_t> rgb;
    for (size_t i = 0; i < 32u * 32u; ++i) {
        const std::vector<uint8_t> rgba = test::quartersRgba(32, 32, kQuarters, 255);
        rgb.insert(rgb.end(), {rgba[i * 4], rgba[i * 4 + 1], rgba[i * 4 + 2]});
    }
    const StillPicture colour = decoder->decode(test::writeJpeg(32, 32, rgb));
    ASSERT_EQ(colour.width, 32);
    ASSERT_EQ(colour.height, 32);
    expectQuarters(colour, 8, 255);

    const StillPicture grey = decoder->decode(test::writeGreyJpeg(4, 2, std::vector<uint8_t>(8, 200)));
    ASSERT_EQ(grey.width, 4);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(rgbaAt(grey, 1, 1)[c], 200, 2);
    EXPECT_EQ(rgbaAt(grey, 1, 1)[3], 255);
}

TEST(StillPicture, RefusesUnknownCorruptAndTruncatedData) {
    const std::unique_ptr<StillPictureDecoder> decoder = makeStillPictureDecoder();
    const std::vector<uint8_t> png = test::writePng(16, 16, test::quartersRgba(16, 16, kQuarters, 255));
    std::vector<uint8_t> rgb(16 * 16 * 3, 90);
    const std::vector<uint8_t> jpeg = test::writeJpeg(16, 16, rgb);

    const std::vector<std::vector<uint8_t>> refused = {
        {},
        {'G', 'I', 'F', '8', '9', 'a'},
        {'B', 'M', 0, 0},
        std::vector<uint8_t>(png.begin(), png.begin() + 8),    // signature only
        std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 3),  // signature only
    };
    for (const std::vector<uint8_t>& data : refused) EXPECT_THROW(decoder->decode(data), Error) << data.size();

    // Every cut of either file is refused cleanly (the sanitizer build checks
    // "cleanly"), except a PNG whose pixels are all there and only its closing
    // 12-byte IEND chunk is missing: that picture is complete and shown.
    const size_t pngEnd = png.size() - 12;
    for (size_t length = 0; length < pngEnd; ++length) {
        EXPECT_THROW(decoder->decode(std::span(png.data(), length)), Error) << "PNG cut at " << length;
    }
    for (size_t length = pngEnd; length < png.size(); ++length) {
        expectQuarters(decoder->decode(std::span(png.data(), length)), 0, 255);
    }
    for (size_t length = 0; length + 2 < jpeg.size(); ++length) {
        EXPECT_THROW(decoder->decode(std::span(jpeg.data(), length)), Error) << "JPEG cut at " << length;
    }

    // Damaged compressed data in the middle.
    std::vector<uint8_t> badPng = png;
    for (size_t i = 40; i < badPng.size() - 20; ++i) badPng[i] = static_cast<uint8_t>(i * 37);
    EXPECT_THROW(decoder->decode(badPng), Error);
}

TEST(StillPicture, RefusesPicturesBeyondTheLimitsBeforeDecoding) {
    PictureLimits limits;
    limits.maxSide = 64;
    limits.maxPixels = 64 * 32;
    const std::unique_ptr<StillPictureDecoder> decoder = makeStillPictureDecoder(limits);
    std::vector<uint8_t> rgb(65 * 4 * 3, 50);
    EXPECT_THROW(decoder->decode(test::writePng(65, 4, std::vector<uint8_t>(65 * 4 * 4, 50))), Error);
    EXPECT_THROW(decoder->decode(test::writeJpeg(65, 4, rgb)), Error);
    EXPECT_THROW(decoder->decode(test::writePng(64, 33, std::vector<uint8_t>(64 * 33 * 4, 50))), Error);
    EXPECT_NO_THROW(decoder->decode(test::writePng(64, 32, std::vector<uint8_t>(64 * 32 * 4, 50))));

    // A header claiming 60000 x 60000 pixels is refused by the default limits
    // without its pixels ever being allocated (the data behind it is tiny).
    std::vector<uint8_t> bigJpeg = test::writeJpeg(16, 16, std::vector<uint8_t>(16 * 16 * 3, 90));
    for (size_t i = 0; i + 8 < bigJpeg.size(); ++i) {
        if (bigJpeg[i] == 0xff && bigJpeg[i + 1] == 0xc0) {  // baseline frame header: height, width at +5, +7
            bigJpeg[i + 5] = 0xea;
            bigJpeg[i + 6] = 0x60;
            bigJpeg[i + 7] = 0xea;
            bigJpeg[i + 8] = 0x60;
            break;
        }
    }
    try {
        makeStillPictureDecoder()->decode(bigJpeg);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("60000 x 60000"), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace zelk::control
