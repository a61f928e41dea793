// Frame matching and trigger dispatch, driven through the driver as the host
// drives it: SetGameName, then frames.
#include <gtest/gtest.h>

#include <random>

#include "device/entry/dmd_driver.h"
#include "device/matching/zelk_capture.h"
#include "device/fake_platform.h"

namespace {

using zelk::device::DmdDriver;
using zelk::test::FakePlatform;
using zelk::test::frameFromArt;
using zelk::test::pictureFromArt;
using Art = std::vector<std::string>;
using Lines = std::vector<std::string>;

const Art kBlank = {"........", "........", "........", "........"};
const Art kLogo = {"........", ".##..#..", ".#.#.#..", "........"};

struct Game {
    FakePlatform platform;
    DmdDriver driver{platform};

    explicit Game(const std::string& settings = "") {
        if (!settings.empty()) platform.writeSettings(settings);
        driver.Open();
    }
    void start(const std::string& name) { driver.SetGameName(name.data(), static_cast<int>(name.size())); }
    void show(const Art& art) {
        const std::vector<uint8_t> frame = frameFromArt(art);
        driver.Render_RGB24(static_cast<uint16_t>(art[0].size()), static_cast<uint16_t>(art.size()),
                            frame.data());
    }
    const Lines& sent() const { return platform.player->calls; }
};

// A trigger picture whose marked region is the given art (outline around it).
zelk::Bitmap24 outlined(const Art& frame, int top, int left, int width, int height) {
    Art art = frame;
    for (auto& row : art) std::fill(row.begin(), row.end(), '.');
    for (int x = left - 1; x <= left + width; ++x) art[top - 1][x] = 'M', art[top + height][x] = 'M';
    for (int y = top - 1; y <= top + height; ++y) art[y][left - 1] = 'M', art[y][left + width] = 'M';
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) art[top + y][left + x] = frame[top + y][left + x];
    }
    return pictureFromArt(art);
}

TEST(Matching, ReArmsEveryMatchResetPlusOneFrames) {
    struct Case {
        const char* settings;
        int blankFrames;             // shown before the trigger, from the game start
        std::vector<int> sentOn;     // frames of the trigger (from 1) that send it
    };
    const Case cases[] = {
        {"", 31, {1, 31, 62, 93}},  // default 30; frame 31 re-armed just before
        {"", 10, {1, 21, 52, 83}},
        {"[SETTINGS]\nMATCHRESET=2\n", 3, {1, 3, 6, 9, 12, 15, 18, 21, 24, 27}},
    };
    for (const Case& c : cases) {
        Game game(c.settings);
        game.platform.addTrigger("g", 1, pictureFromArt(kLogo));
        game.start("g");
        for (int i = 0; i < c.blankFrames; ++i) game.show(kBlank);
        std::vector<int> sentOn;
        for (int i = 1; i <= 100 && sentOn.size() < c.sentOn.size() + 1; ++i) {
            const size_t before = game.sent().size();
            game.show(kLogo);
            if (game.sent().size() != before) sentOn.push_back(i);
        }
        if (sentOn.size() > c.sentOn.size()) sentOn.resize(c.sentOn.size());
        EXPECT_EQ(sentOn, c.sentOn) << c.settings << " after " << c.blankFrames;
    }
    for (const char* setting : {"0", "-5"}) {  // below 1: every frame
        Game game(std::string("[SETTINGS]\nMATCHRESET=") + setting + "\n");
        game.platform.addTrigger("g", 1, pictureFromArt(kLogo));
        game.start("g");
        for (int i = 0; i < 5; ++i) game.show(kLogo);
        EXPECT_EQ(game.sent(), Lines(5, "B2SData D1 1")) << setting;
    }
}

TEST(Matching, TriggersMatchingTogetherAlternate) {
    Game game;
    const Art frame = {"#.......", ".#......", "..##.#..", "........"};
    game.platform.addTrigger("g", 1, pictureFromArt(kLogo));
    game.platform.addTrigger("g", 2, pictureFromArt(kBlank));
    game.platform.addTrigger("g", 3, outlined(frame, 1, 1, 2, 2));
    game.platform.addTrigger("g", 4, outlined(kLogo, 1, 1, 2, 2));
    game.platform.addTrigger("g", 5, outlined(frame, 1, 4, 2, 2));
    game.start("g");
    for (int i = 0; i < 3; ++i) game.show(frame);
    EXPECT_EQ(game.sent(), (Lines{"B2SData D3 1", "B2SData D5 1", "B2SData D3 1", "B2SData D5 1",
                                  "B2SData D3 1", "B2SData D5 1"}));
}

TEST(Matching, TriggerComingBackWithoutOtherMatchIsNotSentAgain) {
    Game game("[SETTINGS]\nMATCHRESET=1000\n");
    game.platform.addTrigger("g", 1, pictureFromArt({"########", "#......#", "#......#", "########"}));
    game.platform.addTrigger("g", 2, pictureFromArt(kLogo));
    game.start("g");
    game.show(kLogo);
    for (int i = 0; i < 10; ++i) game.show(kBlank);
    game.show(kLogo);
    EXPECT_EQ(game.sent(), (Lines{"B2SData D2 1"}));
}

TEST(Matching, WholePictureTriggerNeedsTheWholeLiveMask) {
    Game game;
    game.platform.addTrigger("g", 1, pictureFromArt(kLogo));
    game.start("g");
    game.show({"........", ".##..#..", ".#.#.#..", ".......#"});
    EXPECT_TRUE(game.sent().empty());
    game.show(kLogo);
    EXPECT_EQ(game.sent(), (Lines{"B2SData D1 1"}));
}

TEST(Matching, DimPixelsCountOnlyUnderTheExactRule) {
    const Art dim = {"oooooooo", "o##oo#oo", "o#o#o#oo", "oooooooo"};
    for (const bool exact : {false, true}) {
        Game game;
        game.platform.addTrigger("g", 1, pictureFromArt(kLogo));
        if (exact) zelk::test::writeBytes(game.platform.gameFolder("g") + "ExactColorMatch.txt", {'x'});
        game.start("g");
        game.show(dim);
        EXPECT_EQ(game.sent().size(), exact ? 0u : 1u) << exact;
    }
}

TEST(Matching, FailingPlayerIsLoggedPerTriggerAndMatchingGoesOn) {
    Game game;
    game.platform.addTrigger("g", 1, pictureFromArt(kLogo));
    game.platform.addTrigger("g", 2, outlined(kLogo, 1, 1, 2, 2));
    game.start("g");
    game.platform.player->failing = true;
    game.show(kLogo);
    EXPECT_TRUE(game.driver.captureActive());
    const Lines failure = {"ERROR sending b2sdata", "****Exception class name = EOleSysError",
                           "****Exception message = player not reachable"};
    Lines expected = failure;
    expected.insert(expected.end(), failure.begin(), failure.end());
    const Lines log = game.platform.log();
    EXPECT_EQ(Lines(log.end() - 6, log.end()), expected);
    game.platform.player->failing = false;
    game.show(kLogo);  // 2 was matched last, so 1 goes out, then 2
    EXPECT_EQ(game.sent(), (Lines{"B2SData D1 1", "B2SData D2 1"}));
}

TEST(Matching, FramesSmallerThanTheLiveMaskNeverMatch) {
    Game game;
    game.platform.addTrigger("g", 1, pictureFromArt(kLogo));
    game.platform.addTrigger("g", 2, outlined(kLogo, 1, 1, 2, 2));
    game.start("g");
    game.show({"##", ".#"});
    game.show({"##", ".#"});
    EXPECT_TRUE(game.sent().empty());
    game.show(kLogo);  // another size than the frame bitmap: skipped
    EXPECT_TRUE(game.sent().empty());
    EXPECT_EQ(game.driver.frameBitmap()->width, 2);
}

TEST(Matching, TriggersOutsideTheLiveMaskNeverMatch) {
    Game game;
    const Art frame = {"........", ".##.....", "........", "........"};
    game.platform.addTrigger("g", 1, pictureFromArt({"....", ".##.", "...."}));
    game.platform.addTrigger("g", 2, pictureFromArt(kBlank));      // larger than picture 1
    game.platform.addTrigger("g", 3, outlined(frame, 1, 1, 2, 2)); // region inside picture 1
    game.platform.addTrigger("g", 4, outlined(kLogo, 1, 5, 2, 2)); // region beyond its columns
    game.start("g");
    game.show(frame);
    EXPECT_EQ(game.sent(), (Lines{"B2SData D1 1", "B2SData D3 1"}));
    const Lines log = game.platform.log();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) { return l.find("never matches") != l.npos; }),
              2);
}

// The prepared per-trigger checks and the fused intake give the same answers
// as RegionMatches over a live mask made the plain way.
TEST(Matching, FastPathAgreesWithRegionMatches) {
    std::mt19937 random(12345);
    const int width = 12;
    const int height = 6;
    auto randomArt = [&](int lit) {
        Art art(height, std::string(width, '.'));
        for (auto& row : art) {
            for (auto& c : row) c = static_cast<int>(random() % 100) < lit ? '#' : (random() % 4 ? '.' : 'o');
        }
        return art;
    };
    for (const bool exact : {false, true}) {
        Game game("[SETTINGS]\nMATCHRESET=7\n");
        std::vector<Art> pictures;
        for (int n = 1; n <= 40; ++n) {
            pictures.push_back(randomArt(n % 2 ? 10 : 30));
            const int left = 1 + static_cast<int>(random() % (width - 3));
            const int top = 1 + static_cast<int>(random() % (height - 3));
            const int w = 1 + static_cast<int>(random() % (width - left - 1));
            const int h = 1 + static_cast<int>(random() % (height - top - 1));
            game.platform.addTrigger("g", n, n % 3 ? outlined(pictures.back(), top, left, w, h)
                                                   : pictureFromArt(pictures.back()));
        }
        if (exact) zelk::test::writeBytes(game.platform.gameFolder("g") + "ExactColorMatch.txt", {});
        game.start("g");
        // A model capture set over the same folder, fed the plain way.
        zelk::device::PluginState modelState(game.platform);
        modelState.matchReset = 7;
        zelk::device::TZelkCapture model(modelState);
        model.initGame("g");
        ASSERT_EQ(model.numImages(), 40);
        int counter = 0;
        int lastMatch = -1;
        Lines expected;
        for (int i = 0; i < 300; ++i) {
            const Art frame = i % 3 ? pictures[random() % pictures.size()] : randomArt(20);
            game.show(frame);
            if (++counter > 7) lastMatch = -1, counter = 0;
            zelk::device::TZelkFrame live(pictureFromArt(frame), exact);
            for (int n = 1; n <= 40; ++n) {
                if (!zelk::device::RegionMatches(&live, &model.trigger(n).mask, model.trigger(n).region)) continue;
                if (n != lastMatch) expected.push_back("B2SData D" + std::to_string(n) + " 1");
                lastMatch = n;
            }
        }
        EXPECT_GT(expected.size(), 100u);
        EXPECT_EQ(game.sent(), expected) << "exact " << exact;
    }
}

}  // namespace
