// PinMAME-style hosts (SHADEDHOST=1): the shade ramp through every kind of
// vector loops, and the game start and matching of shaded frames through the
// driver, which shows the ramp's lit half under the threshold rule.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "device/entry/dmd_driver.h"
#include "device/intake/frame_intake.h"
#include "device/forward/legacy_frame.h"
#include "device/intake/shade_frame.h"
#include "device/fake_platform.h"

namespace {

using zelk::device::DmdDriver;
using zelk::device::GameKind;
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

// The host's legacy rule: which games have 16 shades, and the frame a driver
// without the luminance calls gets (the identification frame, or on GTS3 the
// luminance quantised as each host version does).
TEST(LegacyFrame, HostRule) {
    constexpr uint64_t gts3 = 0x20000000000ull, sam = 0x100000000000ull, wpc = 0x4;
    const struct {
        const char* name;
        uint64_t generation;
        bool sixteen;
    } kinds[] = {{"mm_109c", wpc, false}, {"sman_261", sam, true},    {"x", 0x4000000000000ull, true},
                 {"x", 0x400000000000ull, true}, {"SMB3", gts3, true}, {"CueBall", wpc, true},
                 {"cue", wpc, false},      {nullptr, 0, false}};
    for (const auto& k : kinds) {
        EXPECT_EQ(GameKind::of(k.name, k.generation).sixteenShades(), k.sixteen) << (k.name ? k.name : "null");
    }

    const uint8_t lum[] = {0, 15, 16, 63, 64, 255}, ident[] = {9, 8, 7, 6, 5, 4};
    const float floatLum[] = {0.f, 0.0667f, 0.0666f, 0.3333f, 1.f, -1.f, 2.f, std::nanf("")};
    const struct {
        GameKind game;
        uint8_t identBits;
        std::vector<uint8_t> fromLum, fromFloatLum;
    } cases[] = {
        {GameKind::of("x", wpc), 4, {9, 8, 7, 6, 5, 4}, {9, 8, 7, 6, 5, 4}},
        {GameKind::of("x", gts3), 2, {0, 0, 0, 0, 1, 3}, {0, 0, 0, 0, 3, 0, 3, 0}},
        {GameKind::of("smb", gts3), 4, {0, 0, 1, 3, 4, 15}, {0, 1, 0, 4, 15, 0, 15, 0}},
    };
    zelk::device::LegacyFrame legacy;
    for (const auto& c : cases) {
        const uint8_t* frame = legacy.fromLum(6, 1, lum, ident, c.game, 4096);
        EXPECT_EQ(std::vector<uint8_t>(frame, frame + 6), c.fromLum);
        frame = legacy.fromFloatLum(8, 1, floatLum, ident, c.identBits, c.game, 4096);
        EXPECT_EQ(std::vector<uint8_t>(frame, frame + c.fromFloatLum.size()), c.fromFloatLum);
    }
    EXPECT_EQ(legacy.fromLum(5000, 1, lum, ident, GameKind::of("x", gts3), 4096), nullptr);
}

// What a 4-shade GTS3 host measures for a frame of shades.
std::vector<uint8_t> byteLum(const std::vector<uint8_t>& dots) {
    std::vector<uint8_t> lum;
    for (const uint8_t d : dots) lum.push_back(static_cast<uint8_t>(d * 85));
    return lum;
}
std::vector<float> floatLum(const std::vector<uint8_t>& dots) {
    std::vector<float> lum;
    for (const uint8_t d : dots) lum.push_back(d / 3.f);
    return lum;
}
constexpr uint8_t kRaw[6] = {};

// A shaded game sends the same triggers whichever render call carries its
// frames, as long as the frames say the same.
TEST(ShadedHost, SameSendsWhicheverRenderCall) {
    const std::vector<uint8_t> lit = shadedFrame(3), dark = shadedFrame(0);
    using Render = void (*)(DmdDriver&, const std::vector<uint8_t>&);
    const struct {
        const char* call;
        uint64_t generation;
        Render render;
    } calls[] = {
        {"4 shades", 0, [](DmdDriver& d, const std::vector<uint8_t>& f) { d.Render_4_Shades(4, 3, f.data()); }},
        {"with raw", 0, [](DmdDriver& d, const std::vector<uint8_t>& f) { d.Render_4_Shades_with_Raw(4, 3, f.data(), 3, kRaw); }},
        {"lum", 0, [](DmdDriver& d, const std::vector<uint8_t>& f) { d.Render_Lum_And_Raw(4, 3, nullptr, f.data(), 0, nullptr); }},
        {"float lum", 0, [](DmdDriver& d, const std::vector<uint8_t>& f) { d.Render_FloatLum_And_Raw(4, 3, nullptr, f.data(), 2); }},
        {"GTS3 lum", 0x20000000000ull, [](DmdDriver& d, const std::vector<uint8_t>& f) {
             d.Render_Lum_And_Raw(4, 3, byteLum(f).data(), nullptr, 0, nullptr); }},
        {"GTS3 float lum", 0x20000000000ull, [](DmdDriver& d, const std::vector<uint8_t>& f) {
             d.Render_FloatLum_And_Raw(4, 3, floatLum(f).data(), nullptr, 2); }},
    };
    for (const auto& c : calls) {
        for (const char* settings : {"SHADEDHOST=1\nMATCHRESET=3", "SHADEDHOST=0"}) {
            zelk::test::FakePlatform platform;
            platform.writeSettings(std::string("[SETTINGS]\n") + settings + "\n");
            platform.addTrigger("rom", 1, zelk::test::pictureFromArt({"#..#", ".##.", "#..."}));
            DmdDriver driver(platform);
            driver.Open();
            const tPMoptions options{};
            driver.PM_GameSettings("rom", c.generation, &options);
            for (const auto* frame : {&lit, &dark, &lit, &lit, &lit, &lit}) c.render(driver, *frame);
            const Lines expected = settings[11] == '1' ? Lines{"B2SData D1 1", "B2SData D1 1"} : Lines{};
            EXPECT_EQ(platform.player->calls, expected) << c.call << " " << settings;
        }
    }
}

}  // namespace
