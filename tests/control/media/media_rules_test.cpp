// The pure rules of media resolution: Windows wildcards, folder and extension
// of a path, which extensions are shown, and the frame-rate intervals.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "control/timing/frame_rate.h"
#include "control/timing/manual_timer.h"
#include "control/media/media_path.h"
#include "control/media/wildcard_match.h"

namespace zelk::control {
namespace {

TEST(WildcardMatch, FollowsTheWindowsRules) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"game.*", "game.png", true},
        {"game.*", "game.gif", true},
        {"game.*", "game", true},            // "name.*" also finds a name without extension
        {"game.*", "game.tar.gz", true},
        {"game.*", "gamer.png", false},
        {"game.*", "gam.png", false},
        {"game.*", "my game.png", false},
        {"GAME.*", "game.png", true},        // letter case does not matter
        {"game.*", "Game.PNG", true},
        {"default.*", "default.png", true},
        {"default.*", "defaults.png", false},
        {"default.png", "DEFAULT.PNG", true},
        {"default.png", "default.pngx", false},
        {"*", "anything.at.all", true},
        {"*.*", "noextension", true},
        {"*.png", "a.png", true},
        {"*.png", "a.png.bak", false},
        {"g?me.*", "game.gif", true},
        {"g?me.*", "gme.gif", false},
        {"game?.png", "game.png", true},     // a "?" before "." may stand for nothing
        {"game?.png", "game1.png", true},
        {"game?", "game", true},             // ... and at the end of the name
        {"game.", "game", true},
        {".*", "game.png", false},
        {".*", ".hidden", true},
        {"", "", true},
        {"", "a", false},
        {"a*b*c*d*e*f*g", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
    }
}

TEST(MediaPath, FolderAndExtensionByTheDelimiters) {
    struct Case {
        const char* path;
        const char* delimiters;
        const char* folder;
        const char* extension;
    };
    const Case cases[] = {
        {"C:\\media\\game", "\\:", "C:\\media\\", ""},
        {"C:\\media\\game.png", "\\:", "C:\\media\\", ".png"},
        {"C:game.gif", "\\:", "C:", ".gif"},
        {"C:\\me.dia\\game", "\\:", "C:\\me.dia\\", ""},    // a dot in the folder is no extension
        {"game.tar.gz", "\\:", "", ".gz"},
        {"game.", "\\:", "", "."},
        {"", "\\:", "", ""},
        {"/srv/media/game.jpeg", "/", "/srv/media/", ".jpeg"},
        {"/srv/me.dia/game", "/", "/srv/me.dia/", ""},
        {"media\\game.png", "/", "", ".png"},               // "\\" is no delimiter on POSIX
    };
    for (const Case& c : cases) {
        EXPECT_EQ(folderOf(c.path, c.delimiters), c.folder) << c.path;
        EXPECT_EQ(extensionOf(c.path, c.delimiters), c.extension) << c.path;
    }
}

TEST(MediaPath, WhichExtensionsAreShown) {
    struct Case {
        const char* extension;
        bool gif;
        bool still;
    };
    const Case cases[] = {
        {".gif", true, true},      {".GIF", true, true},   {".Gif", true, true},
        {".png", false, true},     {".PNG", false, true},  {".jpg", false, true},
        {".jpeg", false, true},    {".JPEG", false, true}, {".jp", false, true},
        {".pn", false, true},      {".g", true, true},     {".", true, true},
        {".bmp", false, false},    {".giff", false, false}, {".txt", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isGifExtension(c.extension), c.gif) << c.extension;
        EXPECT_EQ(isStillPictureExtension(c.extension), c.still) << c.extension;
    }
}

TEST(FrameRate, IntervalTable) {
    struct Case {
        int32_t ncount;
        std::optional<uint32_t> interval;
    };
    const Case cases[] = {
        {1, 1000u}, {2, 500u},  {3, 333u},  {7, 142u},  {10, 100u}, {15, 66u},
        {20, 50u},  {24, 41u},  {25, 40u},  {30, 33u},  {31, 33u},  {100, 33u},
        {INT32_MAX, 33u}, {0, std::nullopt}, {-1, std::nullopt}, {-7, std::nullopt},
        {INT32_MIN, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(frameRateInterval(c.ncount), c.interval) << c.ncount;
}

TEST(FrameRate, SetsBothTimersAndIgnoresZeroAndNegative) {
    ManualTimer gifTimer(100), capTimer(50);
    SetFrameRate(0, gifTimer, capTimer);
    SetFrameRate(-5, gifTimer, capTimer);
    EXPECT_EQ(gifTimer.interval(), 100u);
    EXPECT_EQ(capTimer.interval(), 50u);

    SetFrameRate(7, gifTimer, capTimer);
    EXPECT_EQ(gifTimer.interval(), 142u);
    EXPECT_EQ(capTimer.interval(), 142u);
    EXPECT_FALSE(gifTimer.enabled());   // a timer that is off stays off

    gifTimer.setEnabled(true);
    SetFrameRate(100, gifTimer, capTimer);
    EXPECT_EQ(gifTimer.interval(), 33u);
    EXPECT_TRUE(gifTimer.enabled());
    EXPECT_EQ(gifTimer.periodRestarts(), 1);
    SetFrameRate(30, gifTimer, capTimer);  // same interval: nothing changes
    EXPECT_EQ(gifTimer.periodRestarts(), 1);
    EXPECT_EQ(capTimer.periodRestarts(), 0);
}

}  // namespace
}  // namespace zelk::control
