// The four active entry points over a fake platform: settings, game names,
// the log and its order, the deferred game start, frame intake, containment.
#include <gtest/gtest.h>

#include <tuple>

#include "device/entry/dmd_driver.h"
#include "device/log/log_writer.h"
#include "device/fake_forward.h"
#include "device/fake_platform.h"

namespace {

using zelk::device::DmdDriver;
using zelk::test::FakePlatform;
using zelk::test::frameFromArt;
using zelk::test::pictureFromArt;
using Lines = std::vector<std::string>;

const std::vector<std::string> kArt = {"#..#", ".##.", "#..."};

void setName(DmdDriver& driver, const std::string& name, int length = -1) {
    driver.SetGameName(name.data(), length < 0 ? static_cast<int>(name.size()) : length);
}

void render(DmdDriver& driver, const std::vector<std::string>& art = kArt) {
    const std::vector<uint8_t> frame = frameFromArt(art);
    driver.Render_RGB24(static_cast<uint16_t>(art[0].size()), static_cast<uint16_t>(art.size()), frame.data());
}

TEST(Driver, GameNames) {
    struct Case {
        std::string bytes;
        int length;
        std::string logged;  // after "Set Game Name thread "
        bool b2sInit;
    };
    const std::string long300(300, 'x');
    const Case cases[] = {
        {"VANTOR\\game01", 13, "game01", true},
        {"vantor\\x", 8, "x", true},
        {"C:\\Tables\\VANTOR\\game01", 23, "game01", false},
        {"a/b", 3, "a/b", false},
        {"VANTOR:x", 8, "x", false},
        {"table:sub\\g", 11, "g", false},
        {"VANTOR\\game01", 6, "VANTOR", false},
        {long300, 300, std::string(44, 'x'), false},
        {long300, 200, "", false},
        {long300, 0, "", false},
        {long300, 256, "", false},
        {long300, 255, "", false},
        {std::string("ab\0cd", 5), 5, std::string("ab\0cd", 5), false},
        {"vantor\\\xE4", 8, "\xC3\xA4", true},  // Latin-1 byte, logged as UTF-8
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        DmdDriver driver(platform);
        driver.Open();
        setName(driver, c.bytes, c.length);
        Lines expected = {"Open called", "Set Game Name thread " + c.logged};
        if (c.b2sInit) expected.push_back("Set B2S init");
        EXPECT_EQ(platform.log(), expected) << c.bytes.substr(0, 30) << " / " << c.length;
        render(driver);
        expected.push_back("Start Thread Matching");
        expected.push_back("create ZelkCap");
        expected.push_back("Init Game name:" + c.logged);
        expected.push_back("No ZelkCapture found:  nothing to do");
        EXPECT_EQ(platform.log(), expected) << c.bytes.substr(0, 30) << " / " << c.length;
    }
}

TEST(Driver, LogOfAGameStartInOrder) {
    FakePlatform platform;
    platform.addTrigger("game01", 1, pictureFromArt(kArt));
    DmdDriver driver(platform);
    driver.Open();
    setName(driver, "VANTOR\\game01");
    render(driver);
    EXPECT_EQ(platform.log(),
              (Lines{"Open called", "Set Game Name thread game01", "Set B2S init", "Start Thread Matching",
                     "create ZelkCap", "Init Game name:game01", "Create Object Display",
                     "imagedir:" + platform.folder() + "media/game01/ZelkCapture", "num images 1"}));
    // The frame that started the game was matched already.
    EXPECT_EQ(platform.player->calls, (Lines{"B2SInit game01", "B2SData D1 1"}));
    const std::string text = zelk::test::readText(platform.logPath());
    EXPECT_EQ(text.substr(0, 31), "20260307 14:05:09 Open called\r\n");
    // The user's time separator, here a dot.
    platform.separator = ".";
    driver.SetGameName(nullptr, 10);
    EXPECT_EQ(text + "20260307 14.05.09 Set Game Name thread \r\n", zelk::test::readText(platform.logPath()));
}

TEST(Driver, EveryOpenStartsAFreshLogAndReReadsSettings) {
    FakePlatform platform;
    platform.writeSettings("[SETTINGS]\nSHOWDMD=1\nMATCHRESET=5\n");
    DmdDriver driver(platform);
    EXPECT_EQ(driver.matchReset(), 100);
    EXPECT_TRUE(driver.Open());
    setName(driver, "x");
    EXPECT_EQ(driver.matchReset(), 5);
    platform.writeSettings("[SETTINGS]\nSHOWDMD=1\n");
    EXPECT_TRUE(driver.Open());
    EXPECT_EQ(platform.log(), (Lines{"Open called"}));
    EXPECT_EQ(driver.matchReset(), 30);
    EXPECT_EQ(platform.preview->created, 1);
    EXPECT_EQ(platform.preview->calls, (Lines{"show", "show"}));
}

TEST(Driver, Settings) {
    struct Case {
        const char* text;  // nullptr: no file
        bool showDmd;
        int32_t matchReset;
    };
    const Case cases[] = {
        {nullptr, false, 30},
        {"", false, 30},
        {"[SETTINGS]\nSHOWDMD=1\nMATCHRESET=12\n", true, 12},
        {"[settings]\nshowdmd=0x1\nmatchreset=$10\n", true, 16},
        {"[SETTINGS]\nSHOWDMD=2\nMATCHRESET=-4\n", false, -4},
        {"[SETTINGS]\nSHOWDMD=-1\nMATCHRESET=0\n", false, 0},
        {"[SETTINGS]\nSHOWDMD=yes\nMATCHRESET=many\n", false, 30},
        {"[OTHER]\nSHOWDMD=1\nMATCHRESET=3\n", false, 30},
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        if (c.text) platform.writeSettings(c.text);
        DmdDriver driver(platform);
        driver.Open();
        EXPECT_EQ(platform.preview->created, c.showDmd ? 1 : 0) << (c.text ? c.text : "no file");
        EXPECT_EQ(driver.matchReset(), c.matchReset) << (c.text ? c.text : "no file");
    }
}

TEST(Driver, PreviewKeys) {
    using Look = zelk::device::PreviewLook;
    struct Case {
        const char* keys;  // after SHOWDMD=1
        Look look;
    };
    const Case cases[] = {
        {"", Look{}},
        {"PREVIEWX=100\nPREVIEWY=-20\nPREVIEWSCALE=4\nPREVIEWDOTS=1\nPREVIEWTOPMOST=1\nPREVIEWSAVE=1\n",
         Look{100, -20, 4, true, true, true}},
        {"previewx=0x10\npreviewscale=16\n", Look{16, std::nullopt, 16, false, false, false}},
        {"PREVIEWX=99999\nPREVIEWY=-99999\nPREVIEWSCALE=17\n", Look{32767, -32767, 1, false, false, false}},
        {"PREVIEWX=left\nPREVIEWSCALE=0\nPREVIEWDOTS=2\nPREVIEWSAVE=yes\n", Look{}},
        {"PREVIEWSCALE=-3\nPREVIEWTOPMOST=0x1\n", Look{std::nullopt, std::nullopt, 1, false, true, false}},
        {"PREVIEWSCALE=big\n", Look{}},
    };
    for (const Case& c : cases) {
        FakePlatform platform;
        platform.writeSettings(std::string("[SETTINGS]\nSHOWDMD=1\n") + c.keys);
        DmdDriver driver(platform);
        driver.Open();
        const Look& got = platform.preview->look;
        EXPECT_EQ(got.x, c.look.x) << c.keys;
        EXPECT_EQ(got.y, c.look.y) << c.keys;
        EXPECT_EQ(got.scale, c.look.scale) << c.keys;
        EXPECT_EQ(std::tuple(got.dots, got.topmost, got.savePosition),
                  std::tuple(c.look.dots, c.look.topmost, c.look.savePosition))
            << c.keys;
    }
}

TEST(Driver, NothingBeforeOpenTouchesTheLog) {
    FakePlatform platform;
    platform.addTrigger("g", 1, pictureFromArt(kArt));
    DmdDriver driver(platform);
    render(driver);  // nothing pending, nothing on: returns at once
    EXPECT_EQ(driver.frameBitmap(), nullptr);
    setName(driver, "g");
    render(driver);
    EXPECT_TRUE(driver.captureActive());
    EXPECT_EQ(platform.player->calls, (Lines{"B2SData D1 1"}));
    EXPECT_FALSE(std::filesystem::exists(platform.logPath()));
}

TEST(Driver, GameWithoutTriggersLeavesTheFrameUnread) {
    FakePlatform platform;
    DmdDriver driver(platform);
    driver.Open();
    setName(driver, "none");
    driver.Render_RGB24(4, 3, static_cast<const uint8_t*>(nullptr));  // would crash if the frame were read
    EXPECT_EQ(driver.frameBitmap(), nullptr);
    EXPECT_EQ(platform.log().back(), "No ZelkCapture found:  nothing to do");
}

TEST(Driver, FirstFrameWithPreviewSetsTheBitmapAndWindowSize) {
    FakePlatform platform;
    platform.writeSettings("[SETTINGS]\nSHOWDMD=1\n");
    DmdDriver driver(platform);
    driver.Open();
    std::vector<uint8_t> frame(128 * 32 * 3, 0);
    frame[0] = 10, frame[1] = 20, frame[2] = 30;
    frame[frame.size() - 3] = 1, frame[frame.size() - 1] = 3;
    driver.Render_RGB24(128, 32, frame.data());
    driver.Render_RGB24(128, 32, frame.data());
    const zelk::Bitmap24* bitmap = driver.frameBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->width, 128);
    EXPECT_EQ(bitmap->height, 32);
    EXPECT_EQ(std::vector<uint8_t>(bitmap->pixels.begin(), bitmap->pixels.begin() + 3),
              (std::vector<uint8_t>{30, 20, 10}));
    EXPECT_EQ(std::vector<uint8_t>(bitmap->pixels.end() - 3, bitmap->pixels.end()),
              (std::vector<uint8_t>{3, 0, 1}));
    EXPECT_EQ(platform.preview->calls, (Lines{"show", "size 128x32", "refresh", "refresh"}));
    const zelk::Bitmap24* painted = nullptr;
    platform.preview->source([&](const zelk::Bitmap24* shown) { painted = shown; });
    EXPECT_EQ(painted, bitmap);
}

TEST(Driver, PreviewOpenedAfterTheFrameBitmapIsNotResized) {
    FakePlatform platform;
    platform.addTrigger("g", 1, pictureFromArt(kArt));
    DmdDriver driver(platform);
    driver.Open();
    setName(driver, "g");
    render(driver);
    platform.writeSettings("[SETTINGS]\nSHOWDMD=1\n");
    driver.Open();
    render(driver);
    EXPECT_EQ(platform.preview->calls, (Lines{"show", "refresh"}));
}

TEST(Driver, CloseFreesTheCaptureSetAndPendingGamesSurviveIt) {
    FakePlatform platform;
    platform.addTrigger("g", 1, pictureFromArt(kArt));
    DmdDriver driver(platform);
    driver.Open();
    EXPECT_TRUE(driver.Close());  // nothing to free
    EXPECT_EQ(platform.log(), (Lines{"Open called"}));
    setName(driver, "g");
    render(driver);
    ASSERT_TRUE(driver.captureActive());
    EXPECT_TRUE(driver.Close());
    EXPECT_FALSE(driver.captureActive());
    EXPECT_EQ(platform.log().back(), "Free Object Display");
    render(driver);
    EXPECT_EQ(platform.player->calls.size(), 1u) << "no matching after Close";
    EXPECT_TRUE(driver.Close());

    setName(driver, "g");
    EXPECT_TRUE(driver.Close());
    render(driver);
    EXPECT_TRUE(driver.captureActive());
    const Lines log = platform.log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "create ZelkCap"), 2);
    EXPECT_EQ(platform.player->calls.size(), 2u);
}

TEST(Driver, SeveralNamesMakeOneGameStartThatReusesTheCaptureSet) {
    FakePlatform platform;
    platform.addTrigger("a", 1, pictureFromArt(kArt));
    platform.addTrigger("b", 1, pictureFromArt(kArt));
    DmdDriver driver(platform);
    driver.Open();
    setName(driver, "a");
    render(driver);
    ASSERT_TRUE(driver.captureActive());
    // Names before the next frame: one game start, with the last of them.
    setName(driver, "x");
    setName(driver, "VANTOR\\b");
    render(driver);
    EXPECT_TRUE(driver.captureActive());
    const Lines log = platform.log();
    ASSERT_GE(log.size(), 7u);
    EXPECT_EQ(Lines(log.end() - 7, log.end()),
              (Lines{"Set Game Name thread x", "Set Game Name thread b", "Set B2S init",
                     "Start Thread Matching", "Init Game name:b",
                     "imagedir:" + platform.folder() + "media/b/ZelkCapture", "num images 1"}));
    EXPECT_EQ(std::count(log.begin(), log.end(), "create ZelkCap"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Start Thread Matching"), 2);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Create Object Display"), 1);
    EXPECT_EQ(platform.player->calls, (Lines{"B2SData D1 1", "B2SInit b", "B2SData D1 1"}));
    // A game without trigger folder switches matching off; the previous
    // game's set stays loaded but is not consulted.
    setName(driver, "missing");
    render(driver);
    render(driver);
    EXPECT_FALSE(driver.captureActive());
    EXPECT_EQ(platform.player->calls.size(), 3u);
    EXPECT_EQ(platform.log().back(), "No ZelkCapture found:  nothing to do");
}

TEST(Driver, UnreadableTriggerPictureIsLoggedWithFileAndReason) {
    FakePlatform platform;
    platform.addTrigger("g", 1, pictureFromArt(kArt));
    zelk::test::writeBytes(platform.gameFolder("g") + "2.bmp", {'B', 'M', 0, 0});
    DmdDriver driver(platform);
    driver.Open();
    setName(driver, "g");
    render(driver);
    EXPECT_FALSE(driver.captureActive());
    const Lines log = platform.log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3], "ERROR starting game g");
    EXPECT_EQ(log[log.size() - 2].rfind("****Exception class name = ", 0), 0u);
    EXPECT_NE(log.back().find(platform.gameFolder("g") + "2.bmp"), std::string::npos) << log.back();
    // Not tried again with the next frame.
    render(driver);
    EXPECT_EQ(platform.log(), log);
}

TEST(Driver, LogRemovedAfterOpenChangesNothingElse) {
    FakePlatform platform;
    platform.addTrigger("g", 1, pictureFromArt(kArt));
    DmdDriver driver(platform);
    driver.Open();
    std::filesystem::remove(platform.logPath());
    setName(driver, "VANTOR\\g");
    render(driver);
    EXPECT_TRUE(driver.captureActive());
    EXPECT_EQ(platform.player->calls, (Lines{"B2SInit g", "B2SData D1 1"}));
    EXPECT_TRUE(driver.Close());
    EXPECT_FALSE(std::filesystem::exists(platform.logPath())) << "appending never creates the log";
    driver.Open();
    EXPECT_EQ(platform.log(), (Lines{"Open called"}));
}

TEST(Driver, OddFramesAreNeverCopiedPastTheBitmap) {
    FakePlatform platform;
    platform.writeSettings("[SETTINGS]\nSHOWDMD=1\n");
    DmdDriver driver(platform);
    driver.Open();
    const std::vector<uint8_t> big(64 * 64 * 3, 0xAB);
    driver.Render_RGB24(0, 0, big.data());
    driver.Render_RGB24(4, 0, big.data());
    driver.Render_RGB24(4, 3, static_cast<const uint8_t*>(nullptr));
    EXPECT_EQ(driver.frameBitmap(), nullptr) << "empty or missing frames make no bitmap";
    const std::vector<uint8_t> first = frameFromArt(kArt);
    driver.Render_RGB24(4, 3, first.data());
    const std::vector<uint8_t> taken = driver.frameBitmap()->pixels;
    // Larger, smaller and differently shaped frames are skipped whole.
    const std::pair<int, int> sizes[] = {{64, 64}, {2, 2}, {3, 4}, {12, 1}, {4, 2}, {5, 3}};
    for (const auto& [w, h] : sizes) {
        std::vector<uint8_t> frame(static_cast<size_t>(w * h * 3), 0xCD);
        driver.Render_RGB24(static_cast<uint16_t>(w), static_cast<uint16_t>(h), frame.data());
        EXPECT_EQ(driver.frameBitmap()->pixels, taken) << w << "x" << h;
    }
    EXPECT_EQ(driver.frameBitmap()->width, 4);
    EXPECT_EQ(std::count(platform.preview->calls.begin(), platform.preview->calls.end(), "refresh"), 1);
}

// PinMAME numbers its segment layouts from 1 on, past 15: each reaches the
// FORWARD library as the host gave it, by either alphanumeric call, also when
// the library lacks the dimmed one and gets the plain one instead.
TEST(Driver, AlphanumericLayoutsPassOnUnchanged) {
    const uint16_t segments[128] = {};
    const char dim[128] = {};
    const unsigned withoutDim = ~(1u << static_cast<int>(zelk::DmdEntry::Render_PM_Alphanumeric_Dim_Frame));
    for (const unsigned exports : {~0u, withoutDim}) {
        FakePlatform platform;
        platform.writeSettings("[SETTINGS]\nFORWARD=fake.so\n");
        zelk::test::FakeForwardLibraries libraries(exports);
        zelk::device::Platform services = platform;
        services.deviceLibraries = &libraries;
        DmdDriver driver(services);
        driver.Open();
        for (int layout = 0; layout < 32; ++layout) {
            driver.Render_PM_Alphanumeric_Frame(static_cast<layout_t>(layout), segments, segments);
            EXPECT_EQ(zelk::test::forwardRecord.layout, layout);
            zelk::test::forwardRecord.layout = -1;
            driver.Render_PM_Alphanumeric_Dim_Frame(static_cast<layout_t>(layout), segments, dim, nullptr);
            EXPECT_EQ(zelk::test::forwardRecord.layout, layout) << "exports " << exports;
        }
    }
}

}  // namespace

namespace {

TEST(Log, NamesEveryKindOfFailure) {
    struct Case {
        std::exception_ptr failure;
        const char* className;
        const char* message;
    };
    const Case cases[] = {
        {std::make_exception_ptr(zelk::Error("EBmpError", "1.bmp: truncated")), "EBmpError", "1.bmp: truncated"},
        {std::make_exception_ptr(std::bad_alloc()), "EOutOfMemory", "std::bad_alloc"},
        {std::make_exception_ptr(std::runtime_error("odd")), "Exception", "odd"},
        {std::make_exception_ptr(42), "Exception", "unknown failure"},
        {nullptr, "Exception", "unknown failure"},
    };
    for (const Case& c : cases) {
        const zelk::device::FailureText text = zelk::device::describeFailure(c.failure);
        EXPECT_EQ(text.className, c.className);
        EXPECT_EQ(text.message, c.message);
    }
    EXPECT_EQ(zelk::device::formatLogLine({987, 1, 2, 0, 0, 0}, "h", "m"), "09870102 00h00h00 m");
}

}  // namespace
