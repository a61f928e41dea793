// BMP reader: pictures built in code (every depth, header kind and row order,
// and a table of broken files), truncation at every length, and the public
// bmpsuite conformance files in tests/data/bmpsuite.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "core/bmp_reader.h"
#include "core/error.h"
#include "tests/core/bmp_builder.h"
#include "tests/core/picture_compare.h"

// Cases name only the header fields that differ from a small valid file;
// the others keep their defaults on purpose.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace zelk {
namespace {

using test::BmpBuild;
using test::buildBmp;
using test::samePicture;

// A top-down picture from rows of 0xRRGGBB values.
Bitmap24 picture(const std::vector<std::vector<uint32_t>>& rows) {
    Bitmap24 bitmap(static_cast<int32_t>(rows.at(0).size()), static_cast<int32_t>(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y) {
        for (size_t x = 0; x < rows[y].size(); ++x) {
            uint8_t* p = bitmap.row(static_cast<int32_t>(y)) + x * 3;
            p[0] = static_cast<uint8_t>(rows[y][x]);
            p[1] = static_cast<uint8_t>(rows[y][x] >> 8);
            p[2] = static_cast<uint8_t>(rows[y][x] >> 16);
        }
    }
    return bitmap;
}

Bitmap24 read(const BmpBuild& build, const BmpLimits& limits = {}) {
    const std::vector<uint8_t> bytes = buildBmp(build);
    return readBmp(bytes, "test.bmp", limits);
}

// ---- Good pictures built in code ---------------------------------------

struct GoodCase {
    const char* name;
    BmpBuild build;
    Bitmap24 expected;
};

BmpBuild withPixels(BmpBuild b, std::vector<uint8_t> pixels) {
    b.pixels = std::move(pixels);
    return b;
}

std::vector<GoodCase> goodCases() {
    std::vector<GoodCase> cases;
    // 3x2, 24 bits: 9 bytes of pixels and 3 of padding per row.
    const Bitmap24 rgb3x2 = picture({{0x112233, 0x445566, 0x778899}, {0xAABBCC, 0xDDEEFF, 0x010203}});
    const std::vector<uint8_t> top = {0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0x99, 0x88, 0x77};
    const std::vector<uint8_t> bottom = {0xCC, 0xBB, 0xAA, 0xFF, 0xEE, 0xDD, 0x03, 0x02, 0x01};
    auto rows = [](std::vector<uint8_t> first, const std::vector<uint8_t>& second) {
        first.insert(first.end(), {0xEE, 0xEE, 0xEE});  // padding, must be skipped
        first.insert(first.end(), second.begin(), second.end());
        first.insert(first.end(), {0xEE, 0xEE, 0xEE});
        return first;
    };
    BmpBuild b24{.width = 3, .height = 2};
    cases.push_back({"24-bit bottom-up", withPixels(b24, rows(bottom, top)), rgb3x2});
    b24.height = -2;
    cases.push_back({"24-bit top-down", withPixels(b24, rows(top, bottom)), rgb3x2});

    // 1 bit, 10 pixels: crosses a byte boundary, most significant bit first.
    BmpBuild b1{.width = 10, .height = 1, .bits = 1, .palette = {0x000000, 0xFFFFFF}};
    cases.push_back({"1-bit palette", withPixels(b1, {0b10110000, 0b01000000, 0, 0}),
                     picture({{0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0, 0, 0xFFFFFF}})});
    BmpBuild b2{.width = 5, .height = 1, .bits = 2, .palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}};
    cases.push_back({"2-bit palette", withPixels(b2, {0b00011011, 0b10000000, 0, 0}),
                     picture({{0, 0xFF0000, 0x00FF00, 0x0000FF, 0x00FF00}})});
    BmpBuild b4{.width = 3, .height = 2, .bits = 4, .colorsUsed = 3,
                .palette = {0x102030, 0x405060, 0x708090}};
    // Index 15 lies past the 3-colour palette: it reads as black.
    cases.push_back({"4-bit, odd width, short palette", withPixels(b4, {0x20, 0xF0, 0, 0, 0x01, 0x20, 0, 0}),
                     picture({{0x102030, 0x405060, 0x708090}, {0x708090, 0x102030, 0x000000}})});
    BmpBuild b8{.width = 2, .height = 1, .bits = 8, .colorsUsed = 2, .palette = {0xABCDEF, 0x123456}};
    cases.push_back({"8-bit palette", withPixels(b8, {1, 0, 0, 0}), picture({{0x123456, 0xABCDEF}})});
    BmpBuild gap = b8;
    gap.dataOffset = 14 + 40 + 8 + 20;  // unused bytes between palette and pixels
    cases.push_back({"8-bit, gap before the pixels", withPixels(gap, {0, 1, 0, 0}),
                     picture({{0xABCDEF, 0x123456}})});
    BmpBuild core8{.headerSize = 12, .width = 2, .height = 1, .bits = 8, .palette = {0x0000FF, 0x00FF00}};
    cases.push_back({"OS/2 core header, 3-byte palette", withPixels(core8, {1, 0, 0, 0}),
                     picture({{0x00FF00, 0x0000FF}})});

    // 16 bits without masks: 5-5-5, stretched to 0-255 with rounding.
    BmpBuild b16{.width = 3, .height = 1, .bits = 16};
    cases.push_back({"16-bit default 5-5-5", withPixels(b16, {0xFF, 0x7F, 0x00, 0x7C, 0x10, 0x00, 0, 0}),
                     picture({{0xFFFFFF, 0xFF0000, 0x000084}})});
    BmpBuild b565{.width = 2, .height = 1, .bits = 16, .compression = 3,
                  .masks = {0xF800, 0x07E0, 0x001F}};
    cases.push_back({"16-bit 5-6-5 bit fields", withPixels(b565, {0xE0, 0x07, 0x00, 0xF8}),
                     picture({{0x00FF00, 0xFF0000}})});
    BmpBuild b32{.width = 2, .height = 1, .bits = 32};
    cases.push_back({"32-bit default, alpha byte ignored",
                     withPixels(b32, {0x01, 0x02, 0x03, 0x77, 0xFF, 0x00, 0x80, 0x00}),
                     picture({{0x030201, 0x8000FF}})});
    BmpBuild xbgr{.width = 1, .height = 1, .bits = 32, .compression = 3,
                  .masks = {0x000000FF, 0x0000FF00, 0x00FF0000}};
    cases.push_back({"32-bit bit fields, red in the low byte", withPixels(xbgr, {0x11, 0x22, 0x33, 0x44}),
                     picture({{0x112233}})});
    BmpBuild ten{.width = 1, .height = 1, .bits = 32, .compression = 3,
                 .masks = {0x3FF00000, 0x000FFC00, 0x000003FF}};
    // 10-bit channels keep their 8 most significant bits.
    cases.push_back({"32-bit 10-10-10 bit fields", withPixels(ten, {0xFF, 0x03, 0x00, 0x20}),
                     picture({{0x8000FF}})});
    BmpBuild alpha{.width = 1, .height = 1, .bits = 32, .compression = 6,
                   .masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}};
    cases.push_back({"alpha bit fields after a 40-byte header", withPixels(alpha, {1, 2, 3, 4}),
                     picture({{0x030201}})});
    BmpBuild v4{.headerSize = 108, .width = 1, .height = -1, .bits = 16, .compression = 3,
                .masks = {0x001F, 0x07E0, 0xF800}};
    cases.push_back({"V4 header with masks inside", withPixels(v4, {0x1F, 0x00, 0, 0}),
                     picture({{0xFF0000}})});
    BmpBuild v5{.headerSize = 124, .width = 1, .height = 1, .bits = 32, .masks = {1, 2, 4}};
    cases.push_back({"V5 header without bit fields ignores its masks", withPixels(v5, {1, 2, 3, 0}),
                     picture({{0x030201}})});
    for (uint32_t size : {52u, 56u}) {
        BmpBuild v{.headerSize = size, .width = 1, .height = 1, .bits = 32, .compression = 3,
                   .masks = {0xFF00, 0xFF0000, 0xFF000000}};
        cases.push_back({size == 52 ? "V2 header" : "V3 header", withPixels(v, {9, 1, 2, 3}),
                         picture({{0x010203}})});
    }
    return cases;
}

TEST(BmpReader, ReadsEveryDepthHeaderAndRowOrder) {
    for (const GoodCase& c : goodCases()) {
        SCOPED_TRACE(c.name);
        try {
            EXPECT_TRUE(samePicture(read(c.build), c.expected, 0, std::string("built ") + c.name));
        } catch (const Error& e) {
            ADD_FAILURE() << c.name << ": refused: " << e.what();
        }
    }
}

TEST(BmpReader, TopDownAndBottomUpGiveTheSamePicture) {
    // A larger picture whose rows need padding (width 5: 15 bytes, stored 16).
    Bitmap24 original(5, 7);
    for (size_t i = 0; i < original.pixels.size(); ++i) original.pixels[i] = static_cast<uint8_t>(i * 7 + 1);
    for (bool topDown : {false, true}) {
        const std::vector<uint8_t> file = writeBmp24(original, topDown);
        EXPECT_TRUE(samePicture(readBmp(file, "round.bmp"), original, 0,
                                topDown ? "round-top-down" : "round-bottom-up"));
    }
}

// ---- Broken files --------------------------------------------------------

struct BadCase {
    const char* name;
    std::vector<uint8_t> file;
    const char* reason;  // expected in the message
};

std::vector<uint8_t> built(BmpBuild b) { return buildBmp(b); }

std::vector<BadCase> badCases() {
    const BmpBuild ok{.width = 2, .height = 2, .pixels = std::vector<uint8_t>(16, 0)};
    auto with = [&](auto change) {
        BmpBuild b = ok;
        change(b);
        return buildBmp(b);
    };
    std::vector<BadCase> cases;
    cases.push_back({"empty file", {}, "too short"});
    cases.push_back({"no signature", with([](BmpBuild& b) { b.signature[0] = 'X'; }), "signature"});
    cases.push_back({"OS/2 2.x header", with([](BmpBuild& b) { b.headerSize = 64; }), "header size 64"});
    cases.push_back({"odd header size", with([](BmpBuild& b) { b.headerSize = 41; }), "header size 41"});
    cases.push_back({"two planes", with([](BmpBuild& b) { b.planes = 2; }), "plane count 2"});
    cases.push_back({"3-bit pixels", with([](BmpBuild& b) { b.bits = 3; }), "bit depth 3"});
    cases.push_back({"64-bit pixels", with([](BmpBuild& b) { b.bits = 64; }), "bit depth 64"});
    cases.push_back({"2 bits in a core header",
                     with([](BmpBuild& b) { b.headerSize = 12; b.bits = 2; }), "bit depth 2"});
    cases.push_back({"zero width", with([](BmpBuild& b) { b.width = 0; }), "invalid width 0"});
    cases.push_back({"negative width", with([](BmpBuild& b) { b.width = -2; }), "invalid width -2"});
    cases.push_back({"zero height", with([](BmpBuild& b) { b.height = 0; }), "zero height"});
    cases.push_back({"most negative height", with([](BmpBuild& b) { b.height = INT32_MIN; }), "too large"});
    cases.push_back({"width above the limit", with([](BmpBuild& b) { b.width = 16385; }), "too large"});
    cases.push_back({"top-down height above the limit", with([](BmpBuild& b) { b.height = -16385; }),
                     "too large"});
    cases.push_back({"RLE8", with([](BmpBuild& b) { b.bits = 8; b.compression = 1; }), "RLE8"});
    cases.push_back({"RLE4", with([](BmpBuild& b) { b.bits = 4; b.compression = 2; }), "RLE4"});
    cases.push_back({"JPEG", with([](BmpBuild& b) { b.compression = 4; }), "JPEG"});
    cases.push_back({"PNG", with([](BmpBuild& b) { b.compression = 5; }), "PNG"});
    cases.push_back({"unknown compression", with([](BmpBuild& b) { b.compression = 11; }), "compression 11"});
    cases.push_back({"bit fields with 24 bits",
                     with([](BmpBuild& b) { b.compression = 3; b.masks = {0xFF0000, 0xFF00, 0xFF}; }),
                     "bit-field masks with 24-bit"});
    cases.push_back({"bit fields with 8 bits", with([](BmpBuild& b) { b.bits = 8; b.compression = 3; }),
                     "bit-field masks with 8-bit"});
    cases.push_back({"mask with a hole",
                     with([](BmpBuild& b) { b.bits = 32; b.compression = 3; b.masks = {0xF0F000, 0xFF00, 0xFF}; }),
                     "not contiguous or overlap"});
    cases.push_back({"overlapping masks",
                     with([](BmpBuild& b) { b.bits = 32; b.compression = 3; b.masks = {0xFF00, 0xFFF0, 0xFF}; }),
                     "not contiguous or overlap"});
    cases.push_back({"mask wider than 16-bit pixels",
                     with([](BmpBuild& b) { b.bits = 16; b.compression = 3; b.masks = {0x10000, 0x3E0, 0x1F}; }),
                     "exceeds 16-bit"});
    cases.push_back({"masks cut off by the end of the file", built({.bits = 32, .compression = 3}),
                     "truncated bit-field masks"});
    cases.push_back({"palette larger than the depth allows",
                     with([](BmpBuild& b) { b.bits = 1; b.colorsUsed = 3; b.palette = {0, 0, 0}; }),
                     "too large for 1-bit"});
    cases.push_back({"huge colour count", with([](BmpBuild& b) { b.bits = 8; b.colorsUsed = 0x12345678; }),
                     "too large for 8-bit"});
    cases.push_back({"palette past the pixel offset",
                     with([](BmpBuild& b) { b.bits = 8; b.palette = {1, 2}; b.dataOffset = 58; }),
                     "does not fit before the pixel data"});
    cases.push_back({"pixel offset inside the header", with([](BmpBuild& b) { b.dataOffset = 30; }),
                     "inside the headers"});
    // Offsets patched into a built file, so the file keeps its length.
    std::vector<uint8_t> far = buildBmp(ok);
    test::put32(far, 10, 0xFFFFFFF0u);
    cases.push_back({"pixel offset past the end", far, "offset 4294967280 lies past the end"});
    std::vector<uint8_t> shifted = buildBmp(ok);
    test::put32(shifted, 10, 60);
    cases.push_back({"pixel offset leaves too few bytes", shifted,
                     "truncated pixel data (needs 16 bytes at offset 60, file has 70)"});
    cases.push_back({"rows without padding",
                     with([](BmpBuild& b) { b.pixels.resize(12); }), "truncated pixel data"});
    return cases;
}

TEST(BmpReader, RefusesBrokenFilesNamingFileAndReason) {
    for (const BadCase& c : badCases()) {
        SCOPED_TRACE(c.name);
        try {
            const Bitmap24 bitmap = readBmp(c.file, "broken.bmp");
            ADD_FAILURE() << c.name << ": accepted as " << bitmap.width << "x" << bitmap.height;
        } catch (const Error& e) {
            EXPECT_EQ(e.className(), "EBmpError");
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("broken.bmp: ", 0), 0u) << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        }
    }
}

TEST(BmpReader, RefusesHugeSidesBeforeAllocating) {
    // 16384 x 16384 x 3 bytes would be 768 MiB; the header alone must be refused
    // for its missing pixel data, without the bitmap ever being allocated.
    const std::vector<uint8_t> header = buildBmp({.width = 16384, .height = -16384});
    try {
        (void)readBmp(header, "huge.bmp");
        ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("truncated pixel data (needs 805306368 bytes"),
                  std::string::npos)
            << e.what();
    }
    // A caller that lifts the side limit still cannot overflow the size.
    try {
        (void)read({.width = INT32_MAX, .height = -INT32_MAX}, BmpLimits{.maxSide = INT32_MAX});
        ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("too large for this process"), std::string::npos) << e.what();
    }
    // The limit is the caller's to set.
    const BmpBuild wide{.width = 65, .height = 1, .pixels = std::vector<uint8_t>(196, 0)};
    EXPECT_NO_THROW(read(wide));
    EXPECT_THROW(read(wide, BmpLimits{.maxSide = 64}), Error);
}

TEST(BmpReader, RefusesEveryTruncationOfValidFiles) {
    const std::vector<std::vector<uint8_t>> files = {
        buildBmp({.width = 3, .height = 2, .pixels = std::vector<uint8_t>(24, 0x5A)}),
        buildBmp({.width = 5, .height = 3, .bits = 8, .colorsUsed = 3, .palette = {1, 2, 3},
                  .pixels = std::vector<uint8_t>(24, 1)}),
        buildBmp({.headerSize = 124, .width = 2, .height = -2, .bits = 16, .compression = 3,
                  .masks = {0xF800, 0x07E0, 0x001F}, .pixels = std::vector<uint8_t>(8, 0xA5)}),
        buildBmp({.headerSize = 12, .width = 9, .height = 2, .bits = 1, .palette = {0, 0xFFFFFF},
                  .pixels = std::vector<uint8_t>(8, 0x0F)}),
    };
    for (const std::vector<uint8_t>& file : files) {
        ASSERT_NO_THROW((void)readBmp(file, "whole.bmp"));
        for (size_t length = 0; length < file.size(); ++length) {
            // A copy of exactly that length, so a sanitizer sees any read past it.
            const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_THROW((void)readBmp(cut, "cut.bmp"), Error) << "length " << length;
        }
    }
}

// ---- bmpsuite conformance files ------------------------------------------

namespace suite {

const std::string kRoot = std::string(ZELK_TESTDATA_DIR) + "/bmpsuite/";

Bitmap24 load(const std::string& file) {
    return readBmp(test::readFileBytes(kRoot + file), file);
}

// Loads or records a failure naming the file and the reason.
bool tryLoad(const std::string& file, Bitmap24& out) {
    try {
        out = load(file);
        return true;
    } catch (const Error& e) {
        ADD_FAILURE() << "refused: " << e.what();
        return false;
    }
}

}  // namespace suite

TEST(BmpSuite, GoodFilesShowTheReferencePicture) {
    const Bitmap24 reference = suite::load("g/rgb24.bmp");
    ASSERT_EQ(reference.width, 127);
    ASSERT_EQ(reference.height, 64);
    struct Case {
        const char* file;
        int tolerance;
    };
    // 24 and 32-bit pictures hold the reference's colours exactly. 16-bit
    // channels of 5 bits step by 255/31 = 8.2, so a rounded colour lies within
    // 4 of the original (green in 5-6-5 steps by 4.05, within 2).
    const Case cases[] = {
        {"g/rgb24pal.bmp", 0},  {"g/rgb32.bmp", 0},       {"g/rgb32bf.bmp", 0},
        {"g/rgb32bfdef.bmp", 0}, {"g/rgb16.bmp", 4},      {"g/rgb16bfdef.bmp", 4},
        {"g/rgb16-565.bmp", 4}, {"g/rgb16-565pal.bmp", 4},
        // The 8-bit pictures use a 6x7x6 colour cube (steps 51 and 42.5) with
        // dithering; within one step of the reference.
        {"g/pal8.bmp", 51},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Bitmap24 bitmap;
        if (suite::tryLoad(c.file, bitmap)) {
            EXPECT_TRUE(samePicture(bitmap, reference, c.tolerance, c.file));
        }
    }
}

TEST(BmpSuite, EightBitVariantsEqualThePlainEightBitPicture) {
    const Bitmap24 pal8 = suite::load("g/pal8.bmp");
    // The same pixels through another palette size, header kind or row order.
    for (const char* file : {"g/pal8-0.bmp", "g/pal8os2.bmp", "g/pal8topdown.bmp", "g/pal8v4.bmp",
                             "g/pal8v5.bmp", "q/pal8offs.bmp", "q/pal8os2sp.bmp"}) {
        SCOPED_TRACE(file);
        Bitmap24 bitmap;
        if (suite::tryLoad(file, bitmap)) {
            EXPECT_TRUE(samePicture(bitmap, pal8, 0, file));
        }
    }
    // Narrower pictures are the top-left part of the same picture; their rows
    // need 0 to 3 bytes of padding.
    for (const char* file : {"g/pal8w124.bmp", "g/pal8w125.bmp", "g/pal8w126.bmp"}) {
        SCOPED_TRACE(file);
        Bitmap24 bitmap;
        if (!suite::tryLoad(file, bitmap)) continue;
        Bitmap24 corner(bitmap.width, bitmap.height);
        for (int32_t y = 0; y < corner.height; ++y) {
            std::copy_n(pal8.row(y), corner.stride(), corner.row(y));
        }
        EXPECT_TRUE(samePicture(bitmap, corner, 0, file));
    }
}

// Whether every pixel of a picture is grey (blue = green = red).
bool isGrey(const Bitmap24& bitmap) {
    for (size_t i = 0; i < bitmap.pixels.size(); i += 3) {
        if (bitmap.pixels[i] != bitmap.pixels[i + 1] || bitmap.pixels[i] != bitmap.pixels[i + 2]) return false;
    }
    return true;
}

size_t colourCount(const Bitmap24& bitmap) {
    std::vector<uint32_t> colours;
    for (size_t i = 0; i < bitmap.pixels.size(); i += 3) {
        colours.push_back(bitmap.pixels[i] | (bitmap.pixels[i + 1] << 8) | (bitmap.pixels[i + 2] << 16));
    }
    std::sort(colours.begin(), colours.end());
    return static_cast<size_t>(std::unique(colours.begin(), colours.end()) - colours.begin());
}

// Replaces every colour of a picture through a table of 0xRRGGBB pairs.
Bitmap24 recoloured(Bitmap24 bitmap, const std::vector<std::pair<uint32_t, uint32_t>>& table) {
    for (size_t i = 0; i < bitmap.pixels.size(); i += 3) {
        const uint32_t colour = bitmap.pixels[i] | (bitmap.pixels[i + 1] << 8) | (bitmap.pixels[i + 2] << 16);
        for (const auto& [from, to] : table) {
            if (colour != from) continue;
            bitmap.pixels[i] = static_cast<uint8_t>(to);
            bitmap.pixels[i + 1] = static_cast<uint8_t>(to >> 8);
            bitmap.pixels[i + 2] = static_cast<uint8_t>(to >> 16);
            break;
        }
    }
    return bitmap;
}

TEST(BmpSuite, SmallPalettesGiveTheSameShapeInTheirOwnColours) {
    // The 1 and 4-bit pictures are dithered to their palettes, so they cannot
    // equal the reference; what they share is checked instead.
    const Bitmap24 pal1 = suite::load("g/pal1.bmp");
    EXPECT_EQ(colourCount(pal1), 2u);
    // Black first or white first in the palette: the same picture.
    EXPECT_TRUE(samePicture(suite::load("g/pal1wb.bmp"), pal1, 0, "g/pal1wb.bmp"));
    // Blue and green instead of black and white, pixel for pixel.
    EXPECT_TRUE(samePicture(suite::load("g/pal1bg.bmp"),
                            recoloured(pal1, {{0x000000, 0x4040FF}, {0xFFFFFF, 0x40FF40}}), 0,
                            "g/pal1bg.bmp"));
    // Files whose only faults are fields a reader does not need read as pal1.
    for (const char* file : {"b/badbitssize.bmp", "b/baddens1.bmp", "b/baddens2.bmp", "b/badfilesize.bmp"}) {
        Bitmap24 bitmap;
        if (suite::tryLoad(file, bitmap)) {
            EXPECT_TRUE(samePicture(bitmap, pal1, 0, file));
        }
    }

    const Bitmap24 pal4 = suite::load("g/pal4.bmp");
    EXPECT_EQ(colourCount(pal4), 12u);
    const Bitmap24 pal4gs = suite::load("g/pal4gs.bmp");
    EXPECT_TRUE(isGrey(pal4gs));
    EXPECT_LE(colourCount(pal4gs), 12u);
    const Bitmap24 pal8gs = suite::load("g/pal8gs.bmp");
    EXPECT_TRUE(isGrey(pal8gs));
    EXPECT_GT(colourCount(pal8gs), 200u);
    EXPECT_EQ(pal4.width, 127);
    EXPECT_EQ(pal4.height, 64);
}

TEST(BmpSuite, BadFilesAreRefusedOrReadWithoutHarm) {
    // Read on purpose (documented): unneeded fields wrong (checked above),
    // palette indices past the palette (read as black), and a 16-bit picture
    // whose masks leave blue empty (blue reads as 0).
    const std::vector<std::string> readable = {"b/badbitssize.bmp", "b/baddens1.bmp", "b/baddens2.bmp",
                                               "b/badfilesize.bmp", "b/pal8badindex.bmp", "b/rgb16-880.bmp"};
    for (const auto& entry : std::filesystem::directory_iterator(suite::kRoot + "b")) {
        const std::string file = "b/" + entry.path().filename().string();
        SCOPED_TRACE(file);
        const bool shouldRead = std::find(readable.begin(), readable.end(), file) != readable.end();
        try {
            const Bitmap24 bitmap = suite::load(file);
            EXPECT_TRUE(shouldRead) << "accepted";
            EXPECT_EQ(bitmap.width, 127);
            EXPECT_EQ(bitmap.height, 64);
        } catch (const Error& e) {
            EXPECT_FALSE(shouldRead) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(file + ": ", 0), 0u) << e.what();
        }
    }
    // Red and green of the 8-8-0 picture are exact; blue has no bits.
    const Bitmap24 reference = suite::load("g/rgb24.bmp");
    Bitmap24 noBlue = reference;
    for (size_t i = 0; i < noBlue.pixels.size(); i += 3) noBlue.pixels[i] = 0;
    EXPECT_TRUE(samePicture(suite::load("b/rgb16-880.bmp"), noBlue, 0, "b/rgb16-880.bmp"));
}

TEST(BmpSuite, QuestionableAndForeignFilesLoadOrAreRefused) {
    size_t loaded = 0;
    size_t refused = 0;
    for (const char* folder : {"q", "x"}) {
        for (const auto& entry : std::filesystem::directory_iterator(suite::kRoot + folder)) {
            const std::string file = std::string(folder) + "/" + entry.path().filename().string();
            try {
                const Bitmap24 bitmap = suite::load(file);
                EXPECT_EQ(bitmap.pixels.size(), static_cast<size_t>(bitmap.width) * bitmap.height * 3) << file;
                ++loaded;
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()).rfind(file + ": ", 0), 0u) << e.what();
                ++refused;
            }
        }
    }
    // Guards against an empty or missing folder passing silently.
    EXPECT_GT(loaded, 20u);
    EXPECT_GT(refused, 5u);
}

}  // namespace
}  // namespace zelk
