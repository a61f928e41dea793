// The frame intake: each kind of inner loops (plain, SSSE3, AVX2, AVX-512)
// gives the frame bitmap and the live mask that the plain mask rule gives,
// for every frame and mask shape: every length of a run up to 130 pixels
// (past two AVX-512 blocks and three AVX2 blocks after their lead), so that
// each tail is met.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "device/intake/frame_intake.h"
#include "device/matching/zelk_frame.h"

namespace {

using zelk::Bitmap24;
using zelk::device::TZelkFrame;

struct Shape {
    int width, height, maskWidth, maskHeight;
};

std::vector<Shape> shapes() {
    std::vector<Shape> all = {{128, 32, 128, 32}, {128, 32, 100, 17}, {33, 5, 16, 5},
                              {15, 2, 15, 1},     {48, 4, 47, 4},     {256, 64, 128, 32}};
    for (int width = 1; width <= 130; ++width) all.push_back({width, 2, width, 1});
    return all;
}

TEST(Intake, EveryKindOfLoopsAgreesWithTheMaskRule) {
    using zelk::device::IntakeLoops;
    std::mt19937 random(7);
    for (const IntakeLoops loops :
         {IntakeLoops::plain, IntakeLoops::ssse3, IntakeLoops::avx2, IntakeLoops::avx512}) {
        if (zelk::device::useIntakeLoops(loops) != loops) continue;  // not on this processor
        const int kind = static_cast<int>(loops);
        for (const Shape& s : shapes()) {
            for (const bool exact : {false, true}) {
                std::vector<uint8_t> rgb(static_cast<size_t>(s.width * s.height * 3));
                // Values around the threshold, so that off-by-one sums show.
                for (auto& byte : rgb) byte = static_cast<uint8_t>(random() % 3 ? 60 + random() % 20 : random());
                Bitmap24 bitmap(s.width, s.height);
                TZelkFrame live(Bitmap24(s.maskWidth, s.maskHeight), exact);
                zelk::device::copyFrameAndMask(rgb.data(), bitmap, live, exact);

                Bitmap24 expected(s.width, s.height);
                for (size_t i = 0; i < rgb.size(); i += 3) {
                    expected.pixels[i] = rgb[i + 2];
                    expected.pixels[i + 1] = rgb[i + 1];
                    expected.pixels[i + 2] = rgb[i];
                }
                ASSERT_EQ(bitmap.pixels, expected.pixels) << s.width << "x" << s.height << " loops " << kind;
                TZelkFrame reference(Bitmap24(s.maskWidth, s.maskHeight), exact);
                reference.updateFrame(expected, exact);
                ASSERT_EQ(live.Frame, reference.Frame)
                    << s.width << "x" << s.height << " mask " << s.maskWidth << "x" << s.maskHeight
                    << " exact " << exact << " loops " << kind;

                Bitmap24 copied(s.width, s.height);
                zelk::device::copyFrameToBitmap(rgb.data(), copied);
                ASSERT_EQ(copied.pixels, expected.pixels) << s.width << "x" << s.height << " loops " << kind;
            }
        }
    }
    zelk::device::useIntakeLoops(IntakeLoops::avx512);
}

}  // namespace
