#include "device/intake/shade_frame.h"

#include <algorithm>
#include <array>

#include "device/intake/frame_intake.h"
#include "device/intake/shade_frame_simd.h"

namespace zelk::device {
namespace {

constexpr uint8_t kTopRed = 255;
constexpr uint8_t kTopGreen = 128;
constexpr uint8_t kTopBlue = 32;

constexpr uint8_t rampValue(int top, int shade16) { return static_cast<uint8_t>((top * shade16 + 7) / 15); }

// The 16 reds, 16 greens and 16 blues for the shade bytes 0 to 15; a byte
// above the count's top shade is that top shade.
using Table = std::array<uint8_t, 48>;

constexpr Table tableFor(ShadeCount count) {
    Table table{};
    for (int i = 0; i < 16; ++i) {
        const int shade16 = count == ShadeCount::four ? std::min(i, 3) * 5 : i;
        table[i] = rampValue(kTopRed, shade16);
        table[16 + i] = rampValue(kTopGreen, shade16);
        table[32 + i] = rampValue(kTopBlue, shade16);
    }
    return table;
}

alignas(64) constexpr Table kFour = tableFor(ShadeCount::four);
alignas(64) constexpr Table kSixteen = tableFor(ShadeCount::sixteen);

const Table& tableOf(ShadeCount count) { return count == ShadeCount::four ? kFour : kSixteen; }

// The vector loops follow the intake's choice, so that the tests and the
// benchmark select both together.
size_t vectorPixels(const uint8_t* shades, uint8_t* rgb, size_t count, const uint8_t* table) {
    switch (intakeLoopsInUse()) {
        case IntakeLoops::avx512:
            return simd::shadesToRgbAvx512(shades, rgb, count, table);
        case IntakeLoops::avx2:
        case IntakeLoops::ssse3:
            return simd::shadesToRgbSsse3(shades, rgb, count, table);
        case IntakeLoops::plain:
            break;
    }
    return 0;
}

}  // namespace

ShadeColour shadeColour(uint8_t shade, ShadeCount count) {
    const Table& table = tableOf(count);
    const int i = std::min<int>(shade, 15);
    return {table[i], table[16 + i], table[32 + i]};
}

void shadesToRgb(const uint8_t* shades, uint8_t* rgb, size_t count, ShadeCount shadeCount) {
    const Table& table = tableOf(shadeCount);
    for (size_t x = vectorPixels(shades, rgb, count, table.data()); x < count; ++x) {
        const int i = std::min<int>(shades[x], 15);
        rgb[3 * x] = table[i];
        rgb[3 * x + 1] = table[16 + i];
        rgb[3 * x + 2] = table[32 + i];
    }
}

const uint8_t* ShadeFrame::convert(uint16_t width, uint16_t height, const uint8_t* shades, ShadeCount count,
                                   int maxSide) {
    if (shades == nullptr || width == 0 || height == 0 || width > maxSide || height > maxSide) return nullptr;
    const size_t pixels = size_t{width} * height;
    if (rgb_.size() < pixels * 3) rgb_.resize(pixels * 3);
    shadesToRgb(shades, rgb_.data(), pixels, count);
    return rgb_.data();
}

}  // namespace zelk::device
