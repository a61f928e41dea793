// The game start: trigger folder, numbering, regions, masks, the player link
// and the log lines in their order.
#include <gtest/gtest.h>

#include "device/entry/plugin_state.h"
#include "device/matching/zelk_capture.h"
#include "device/fake_platform.h"

namespace {

using zelk::device::MaskRect;
using zelk::device::PluginState;
using zelk::device::TZelkCapture;
using zelk::test::FakePlatform;
using zelk::test::pictureFromArt;
using Lines = std::vector<std::string>;

const std::vector<std::string> kPlain = {"........", "..##....", "..##....", "........"};

// A plug-in state with the log on, as after Open.
struct Fixture {
    FakePlatform platform;
    PluginState state{platform};
    Fixture() {
        state.pluginFolder = platform.folder();
        state.logEnabled = true;
        state.log("Open called", true);
    }
    Lines log() const { return platform.log(); }
};

TEST(GameStart, LoadsTheNumberedPicturesUpToTheFirstGap) {
    Fixture f;
    for (int n : {1, 2, 4}) f.platform.addTrigger("game01", n, pictureFromArt(kPlain));
    TZelkCapture capture(f.state);
    capture.initGame("game01");
    EXPECT_EQ(capture.numImages(), 2);
    EXPECT_TRUE(f.state.captureActive);
    EXPECT_EQ(f.log().back(), "num images 2");
}

TEST(GameStart, NeverLoadsMoreThan500) {
    Fixture f;
    for (int n = 1; n <= 501; ++n) f.platform.addTrigger("many", n, pictureFromArt({"#."}));
    TZelkCapture capture(f.state);
    capture.initGame("many");
    EXPECT_EQ(capture.numImages(), 500);
    EXPECT_EQ(f.log().back(), "num images 500");
}

TEST(GameStart, CutsEachPictureToItsMarkedRegion) {
    Fixture f;
    f.platform.addTrigger("g", 1, pictureFromArt({"MMMMMMMMMM..", "M#.......M..", "M..####..M..",
                                                  "M........M..", "M.......#M..", "MMMMMMMMMM..",
                                                  "............"}));
    f.platform.addTrigger("g", 2, pictureFromArt(kPlain));
    TZelkCapture capture(f.state);
    capture.initGame("g");
    ASSERT_EQ(capture.numImages(), 2);
    EXPECT_EQ(capture.trigger(1).region, (MaskRect{1, 1, 9, 5}));
    EXPECT_EQ(capture.trigger(1).picture.width, 8);
    EXPECT_EQ(capture.trigger(1).picture.height, 4);
    EXPECT_EQ(capture.trigger(1).mask.Frame[0], 255);   // the '#' just inside the corner
    EXPECT_EQ(capture.trigger(1).mask.Frame[31], 255);  // and the one at the far corner
    EXPECT_EQ(capture.trigger(2).region, (MaskRect{0, 0, 8, 4}));
    // The live mask has the full size of trigger picture 1 as loaded.
    EXPECT_EQ(capture.liveFrame()->fWidth, 12);
    EXPECT_EQ(capture.liveFrame()->fHeight, 7);
}

TEST(GameStart, ExactColorMatchFileSelectsTheExactRule) {
    for (const bool exact : {false, true}) {
        Fixture f;
        f.platform.addTrigger("g", 1, pictureFromArt({"o#"}));
        if (exact) zelk::test::writeBytes(f.platform.gameFolder("g") + "ExactColorMatch.txt", {});
        TZelkCapture capture(f.state);
        capture.initGame("g");
        EXPECT_EQ(f.state.exactColorMatch, exact);
        EXPECT_EQ(capture.trigger(1).mask.Frame[0], exact ? 50 : 0);
    }
}

TEST(GameStart, MissingFolderKeepsThePreviousSetAndPlayerLink) {
    Fixture f;
    f.platform.addTrigger("g", 1, pictureFromArt(kPlain));
    TZelkCapture capture(f.state);
    capture.initGame("g");
    ASSERT_TRUE(f.state.captureActive);
    capture.initGame("nothere");
    EXPECT_FALSE(f.state.captureActive);
    EXPECT_TRUE(capture.playerLinked());
    EXPECT_EQ(capture.numImages(), 1);
    const Lines log = f.log();
    EXPECT_EQ(Lines(log.end() - 2, log.end()),
              (Lines{"Init Game name:nothere", "No ZelkCapture found:  nothing to do"}));
}

TEST(GameStart, EmptyFolderDropsThePlayerLink) {
    Fixture f;
    std::filesystem::create_directories(f.platform.gameFolder("g"));
    TZelkCapture capture(f.state);
    capture.initGame("g");
    EXPECT_FALSE(f.state.captureActive);
    EXPECT_FALSE(capture.playerLinked());
    const Lines log = f.log();
    EXPECT_EQ(Lines(log.end() - 3, log.end()),
              (Lines{"imagedir:" + f.platform.folder() + "media/g/ZelkCapture", "num images 0",
                     "Free Object Display"}));
}

TEST(GameStart, SecondStartReusesThePlayerAndSendsB2SInitAgain) {
    Fixture f;
    f.state.b2sInitRequested = true;
    f.platform.addTrigger("a", 1, pictureFromArt(kPlain));
    f.platform.addTrigger("b", 1, pictureFromArt({"#"}));
    TZelkCapture capture(f.state);
    f.state.lastMatch = 7;
    capture.initGame("a");
    EXPECT_EQ(f.state.lastMatch, -1);
    capture.initGame("b");
    EXPECT_EQ(f.platform.player->created, 1);
    EXPECT_EQ(f.platform.player->calls, (Lines{"B2SInit a", "B2SInit b"}));
    EXPECT_EQ(capture.liveFrame()->fWidth, 1);
    Lines log = f.log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Create Object Display"), 1);
}

TEST(GameStart, FailingB2SInitIsLoggedAndMatchingStaysOn) {
    Fixture f;
    f.state.b2sInitRequested = true;
    f.platform.player->failing = true;
    f.platform.addTrigger("a", 1, pictureFromArt(kPlain));
    TZelkCapture capture(f.state);
    capture.initGame("a");
    EXPECT_TRUE(f.state.captureActive);
    const Lines log = f.log();
    EXPECT_EQ(Lines(log.end() - 3, log.end()),
              (Lines{"ERROR sending b2sinit", "****Exception class name = EOleSysError",
                     "****Exception message = player not reachable"}));
}

TEST(GameStart, UnreadablePictureEndsTheStartAndNamesTheFile) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> truncated = zelk::writeBmp24(pictureFromArt(kPlain));
    truncated.resize(30);
    const Case cases[] = {{"not a BMP", {'h', 'e', 'l', 'l', 'o'}}, {"truncated", truncated}, {"empty", {}}};
    for (const Case& c : cases) {
        Fixture f;
        f.platform.addTrigger("g", 1, pictureFromArt(kPlain));
        zelk::test::writeBytes(f.platform.gameFolder("g") + "2.bmp", c.bytes);
        f.platform.addTrigger("g", 3, pictureFromArt(kPlain));
        TZelkCapture capture(f.state);
        EXPECT_THROW(capture.initGame("g"), zelk::Error) << c.what;
        EXPECT_FALSE(f.state.captureActive) << c.what;
        EXPECT_EQ(capture.numImages(), 1) << "pictures read before stay: " << c.what;
        EXPECT_TRUE(capture.playerLinked()) << c.what;
    }
}

}  // namespace
