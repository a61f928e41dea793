// PinMAME-style hosts (SHADEDHOST=1): the shade ramp through every kind of
// vector loops, and the game start and matching of shaded frames through the
// driver, which shows the ramp's lit half under the threshold rule.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "device/dmd_driver.h"
#include "device/frame_intake.h"
#include "device/shade_frame.h"
#include "fake_platform.h"

namespace {

using zelk::device::DmdDriver;
using zelk::device::IntakeLoops;
using zelk::device::ShadeCount;
using zelk::device::shadeColour;
using Lines = std::vector<std::string>;

// The documented ramp that packs are made with; values above the top clamp.
TEST(ShadeRamp, DocumentedColours) {
    const struct { uint8_t shade; ShadeCount count; int red, green, blue; } cases[] = {
        {15, ShadeCount::sixteen, 255, 128, 32}, {8, ShadeCount::sixteen, 136, 68, 17},
        {7, ShadeCount::sixteen, 119, 60, 15},   {1, ShadeCount::four, 85, 43, 11},
        {200, ShadeCount::four, 255, 128, 32},   {0, ShadeCount::four, 0, 0, 0}};
    for (const auto& c : cases) {
        const auto got = shadeColour(c.shade, c.count);
        EXPECT_EQ((std::vector<int>{got.red, got.green, got.blue}), (std::vector<int>{c.red, c.green, c.blue}))
            << int(c.shade);
    }
}

// Every run length up to 130 (past two AVX-512 blocks), so that each tail
// is met, and a large frame.
TEST(ShadeRamp, EveryKindOfLoopsAgreesWithTheRamp) {
    std::mt19937 random(11);
    for (const IntakeLoops loops : {IntakeLoops::plain, IntakeLoops::ssse3, IntakeLoops::avx2, IntakeLoops::avx512}) {
        if (zelk::device::useIntakeLoops(loops) != loops) continue;  // not on this processor
        for (const ShadeCount count : {ShadeCount::four, ShadeCount::sixteen}) {
            std::vector<size_t> lengths = {4096 + 7};
            for (size_t n = 1; n <= 130; ++n) lengths.push_back(n);
            for (const size_t n : lengths) {
                std::vector<uint8_t> shades(n);
                for (auto& s : shades) s = static_cast<uint8_t>(random() % 4 ? random() % 17 : random());
                std::vector<uint8_t> rgb(3 * n + 5, 0xEE), expected(3 * n + 5, 0xEE);
                for (size_t i = 0; i < n; ++i) {
                    const auto c = shadeColour(shades[i], count);
                    expected[3 * i] = c.red, expected[3 * i + 1] = c.green, expected[3 * i + 2] = c.blue;
                }
                zelk::device::shadesToRgb(shades.data(), rgb.data(), n, count);
                ASSERT_EQ(rgb, expected) << n << " pixels, loops " << static_cast<int>(loops);
            }
        }
    }
    zelk::device::useIntakeLoops(IntakeLoops::avx512);
}

// A 4x3 shaded frame: `lit` where the art has '#', 0 elsewhere.
std::vector<uint8_t> shadedFrame(uint8_t lit) {
    std::vector<uint8_t> frame;
    for (const char* row : {"#..#", ".##.", "#..."})
        for (const char* c = row; *c; ++c) frame.push_back(*c == '#' ? lit : 0);
    return frame;
}

TEST(ShadedHost, GameStartsFromGameSettingsAndShadedFramesMatch) {
    struct Case {
        const char* settings;
        const char* name;
        bool sixteen;
        uint8_t lit;   // shade of the trigger's dots in the frame
        Lines log;     // after "Open called"
        Lines player;  // calls the player got
    };
    const Lines started = {"Set Game Name thread rom", "Start Thread Matching", "create ZelkCap",
                           "Init Game name:rom", "Create Object Display"};
    const Case cases[] = {
        {"SHADEDHOST=1", "rom", true, 8, started, {"B2SData D1 1"}},
        {"SHADEDHOST=1", "C:\\x\\rom", false, 2, started, {"B2SData D1 1"}},
        {"SHADEDHOST=1", "rom", true, 7, started, {}},   // the dim half is dark
        {"SHADEDHOST=1", "rom", false, 1, started, {}},
        {"SHADEDHOST=1", "", true, 15, {}, {}},          // the control program's empty name
        {"SHADEDHOST=1", nullptr, true, 15, {}, {}},
        {"SHADEDHOST=0", "rom", true, 15, {}, {}},
        {"", "rom", true, 15, {}, {}},
    };
    for (const Case& c : cases) {
        zelk::test::FakePlatform platform;
        platform.writeSettings(std::string("[SETTINGS]\n") + c.settings + "\n");
        platform.addTrigger("rom", 1, zelk::test::pictureFromArt({"#..#", ".##.", "#..."}));
        DmdDriver driver(platform);
        driver.Open();
        const tPMoptions options{};
        driver.PM_GameSettings(c.name, 2, &options);
        const std::vector<uint8_t> frame = shadedFrame(c.lit);
        if (c.sixteen) {
            driver.Render_16_Shades(4, 3, frame.data());
        } else {
            driver.Render_4_Shades(4, 3, frame.data());
        }
        Lines log = platform.log();
        ASSERT_FALSE(log.empty());
        log.erase(log.begin());
        if (!c.log.empty()) log.resize(c.log.size());  // the trigger folder's lines follow
        EXPECT_EQ(log, c.log) << c.settings << " " << (c.name ? c.name : "null") << " " << int(c.lit);
        EXPECT_EQ(platform.player->calls, c.player) << c.settings << " " << (c.name ? c.name : "null") << " " << int(c.lit);
    }
}

}  // namespace
