// PlayMediaFile, FindFiles, the GIF animation on GiFTimer and the still
// pictures, over a real temporary folder and over recording fakes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "control/media/halftone.h"
#include "control/timing/manual_timer.h"
#include "control/media/media_player.h"
#include "core/error.h"
#include "fake_media_services.h"
#include "gif_writer.h"
#include "picture_writer.h"
#include "control/device/recording_device.h"
#include "control/temp_folder.h"

namespace zelk::control {
namespace {

using test::Rgb;

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

std::vector<uint8_t> solidPng(int width, int height, Rgb colour) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < width * height; ++i) rgba.insert(rgba.end(), {colour.red, colour.green, colour.blue, 255});
    return test::writePng(width, height, rgba);
}

std::vector<uint8_t> solidJpeg(Rgb colour) {
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 128 * 32; ++i) rgb.insert(rgb.end(), {colour.red, colour.green, colour.blue});
    return test::writeJpeg(128, 32, rgb);
}

std::vector<uint8_t> coloursGif(const std::vector<Rgb>& colours, std::optional<uint16_t> loopCount) {
    return test::writeGif(test::solidFramesGif(128, 32, colours, loopCount));
}

// Real files, real decoders; a timer that ticks when the test says so.
class MediaPlayerTest : public ::testing::Test {
protected:
    test::TempFolder dir;
    std::unique_ptr<FileSystem> files = makeFileSystem();
    std::unique_ptr<StillPictureDecoder> pictures = makeStillPictureDecoder();
    ManualTimer gifTimer{100};
    testing::RecordingDevice device;
    MediaPlayer player{{*files, *pictures, gifTimer, device, platformHalftonePalette()}};

    void tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            if (gifTimer.enabled()) player.GiFTimerTimer();
        }
    }
    size_t framesSent() const { return device.count(testing::RecordedCall::Kind::Render); }
    // The colour of the whole last frame, or none when its pixels differ.
    std::optional<Rgb> lastFrameColour() const {
        const std::vector<std::vector<uint8_t>> frames = device.frames();
        if (frames.empty()) return std::nullopt;
        const std::vector<uint8_t>& frame = frames.back();
        for (size_t i = 3; i < frame.size(); ++i) {
            if (frame[i] != frame[i % 3]) return std::nullopt;
        }
        return Rgb{frame[0], frame[1], frame[2]};
    }
};

bool operator==(const std::optional<Rgb>& a, const Rgb& b) {
    return a && a->red == b.red && a->green == b.green && a->blue == b.blue;
}

TEST_F(MediaPlayerTest, BothPngAndGifPresentTheSearchsFirstIsShown) {
    dir.write("game.png", solidPng(128, 32, kGreen));
    dir.write("game.gif", coloursGif({kRed, kBlue}, std::nullopt));
    const std::vector<std::string> names = player.FindFiles(dir.path("game.*"));
    ASSERT_EQ(names.size(), 2u);

    player.PlayMediaFile(dir.path("game"));
    EXPECT_EQ(player.currentMediaFile(), dir.path(names.front()));
    if (names.front() == "game.png") {
        EXPECT_FALSE(gifTimer.enabled());
        EXPECT_EQ(framesSent(), 1u);
        EXPECT_TRUE(lastFrameColour() == kGreen);
    } else {
        EXPECT_TRUE(gifTimer.enabled());
        EXPECT_EQ(framesSent(), 0u);  // the first frame waits for the first tick
        tick();
        EXPECT_TRUE(lastFrameColour() == kRed);
    }
}

TEST_F(MediaPlayerTest, FallsBackToDefaultAndThenToDefaultPng) {
    dir.write("default.gif", coloursGif({kRed}, 0));
    dir.write("default.png", solidPng(128, 32, kGreen));
    dir.write("other.png", solidPng(128, 32, kBlue));
    const std::vector<std::string> defaults = player.FindFiles(dir.path("default.*"));
    ASSERT_EQ(defaults.size(), 2u);
    player.PlayMediaFile(dir.path("game"));
    EXPECT_EQ(player.currentMediaFile(), dir.path(defaults.front()));

    // Neither game.* nor default.*: default.png is tried without a search and,
    // being absent, nothing changes; the running animation goes on.
    test::TempFolder empty;
    empty.write("other.png", solidPng(128, 32, kBlue));
    player.PlayMediaFile(dir.path("default"));  // something that is on show now
    const std::string shown = player.currentMediaFile();
    const bool animating = gifTimer.enabled();
    const size_t sent = framesSent();
    player.PlayMediaFile(empty.path("game"));
    EXPECT_EQ(player.currentMediaFile(), shown);
    EXPECT_EQ(gifTimer.enabled(), animating);
    EXPECT_EQ(framesSent(), sent);
}

TEST_F(MediaPlayerTest, FoldersHiddenAndSystemEntriesAreSkipped) {
    dir.makeFolder("game.png");
    ASSERT_EQ(mkfifo(dir.path("game.gif").c_str(), 0600), 0);
    dir.write("game.jpg", solidJpeg(kWhite));
    player.PlayMediaFile(dir.path("game"));
    EXPECT_EQ(player.currentMediaFile(), dir.path("game.jpg"));
    EXPECT_EQ(framesSent(), 1u);

    // A name starting with "." is hidden on POSIX: ".intro.*" finds nothing to show.
    dir.write(".intro.png", solidPng(128, 32, kRed));
    player.PlayMediaFile(dir.path(".intro"));
    EXPECT_EQ(player.currentMediaFile(), dir.path("game.jpg"));
    EXPECT_EQ(framesSent(), 1u);
}

TEST_F(MediaPlayerTest, TheSamePathAgainChangesNothingAndKeepsTheGifFrame) {
    dir.write("game.gif", coloursGif({kRed, kGreen, kBlue}, 0));
    player.PlayMediaFile(dir.path("game"));
    tick(2);
    ASSERT_EQ(player.gifFrame(), 2);
    player.PlayMediaFile(dir.path("game"));
    EXPECT_TRUE(gifTimer.enabled());
    EXPECT_EQ(player.gifFrame(), 2);
    EXPECT_EQ(framesSent(), 2u);
    tick();
    EXPECT_TRUE(lastFrameColour() == kBlue);

    // A still picture asked for again is not sent again either.
    dir.write("still.png", solidPng(128, 32, kWhite));
    player.PlayMediaFile(dir.path("still"));
    EXPECT_FALSE(gifTimer.enabled());  // the animation was stopped for the new file
    EXPECT_EQ(player.gifImage(), nullptr);
    player.PlayMediaFile(dir.path("still"));
    EXPECT_EQ(framesSent(), 4u);
}

TEST_F(MediaPlayerTest, AnEmptyPathMeansTheCurrentFolder) {
    dir.write("default.png", solidPng(128, 32, kWhite));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    player.PlayMediaFile("");
    std::filesystem::current_path(before);
    EXPECT_EQ(player.currentMediaFile(), "default.png");
    EXPECT_TRUE(lastFrameColour() == kWhite);
}

TEST_F(MediaPlayerTest, UpperCaseExtensionsAreShownLikeLowerCase) {
    dir.write("still.PNG", solidPng(128, 32, kGreen));
    dir.write("anim.GIF", coloursGif({kBlue, kRed}, 0));
    player.PlayMediaFile(dir.path("still"));
    EXPECT_TRUE(lastFrameColour() == kGreen);
    player.PlayMediaFile(dir.path("anim"));
    ASSERT_TRUE(gifTimer.enabled());
    tick();
    EXPECT_TRUE(lastFrameColour() == kBlue);
}

TEST_F(MediaPlayerTest, AFileWithoutExtensionShowsNothingButStopsTheAnimation) {
    dir.write("anim.gif", coloursGif({kBlue, kRed}, 0));
    dir.write("game", solidPng(128, 32, kGreen));  // a picture, but no extension
    player.PlayMediaFile(dir.path("anim"));
    tick();
    player.PlayMediaFile(dir.path("game"));
    EXPECT_EQ(player.currentMediaFile(), dir.path("game"));
    EXPECT_FALSE(gifTimer.enabled());
    EXPECT_EQ(player.gifImage(), nullptr);
    EXPECT_EQ(framesSent(), 1u);
}

TEST_F(MediaPlayerTest, StillPngAndJpegAreSentAsOneFrame) {
    dir.write("a.png", solidPng(128, 32, kRed));
    dir.write("b.jpg", solidJpeg(kWhite));
    dir.write("c.jpeg", solidPng(128, 32, kBlue));  // the content decides, not the name
    player.PlayMediaFile(dir.path("a"));
    EXPECT_TRUE(lastFrameColour() == kRed);
    player.PlayMediaFile(dir.path("b"));
    ASSERT_EQ(framesSent(), 2u);
    const std::vector<uint8_t> white = device.frames().back();
    for (uint8_t byte : white) EXPECT_GE(byte, 250);
    player.PlayMediaFile(dir.path("c"));
    EXPECT_TRUE(lastFrameColour() == kBlue);
    EXPECT_EQ(framesSent(), 3u);
    EXPECT_FALSE(gifTimer.enabled());
}

TEST_F(MediaPlayerTest, ACorruptPictureShowsNothingWithoutError) {
    dir.write("anim.gif", coloursGif({kBlue}, 0));
    std::vector<uint8_t> broken = solidPng(128, 32, kRed);
    broken.resize(broken.size() / 2);
    dir.write("broken.png", broken);
    dir.write("text.jpg", "not a picture");
    player.PlayMediaFile(dir.path("anim"));
    tick();
    EXPECT_NO_THROW(player.PlayMediaFile(dir.path("broken")));
    EXPECT_EQ(player.currentMediaFile(), dir.path("broken.png"));
    EXPECT_FALSE(gifTimer.enabled());  // the running animation was stopped all the same
    EXPECT_NO_THROW(player.PlayMediaFile(dir.path("text")));
    EXPECT_EQ(player.currentMediaFile(), dir.path("text.jpg"));
    EXPECT_EQ(framesSent(), 1u);
}

TEST_F(MediaPlayerTest, AGifThatCannotBeLoadedRaisesAndIsNotRetried) {
    dir.write("bad.gif", "GIF89a but not really");
    try {
        player.PlayMediaFile(dir.path("bad"));
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("bad.gif"), std::string::npos) << error.what();
    }
    EXPECT_EQ(player.currentMediaFile(), dir.path("bad.gif"));
    EXPECT_FALSE(gifTimer.enabled());
    EXPECT_EQ(player.gifImage(), nullptr);
    EXPECT_NO_THROW(player.PlayMediaFile(dir.path("bad")));  // the same path does nothing
    tick();
    EXPECT_EQ(framesSent(), 0u);
}

TEST_F(MediaPlayerTest, AGifAboveTheFileSizeLimitIsRefused) {
    const std::string huge = dir.write("huge.gif", coloursGif({kRed}, 0));
    std::filesystem::resize_file(huge, kMaxMediaFileBytes + 1);
    EXPECT_THROW(player.PlayMediaFile(dir.path("huge")), Error);
    EXPECT_FALSE(gifTimer.enabled());
    EXPECT_EQ(player.gifImage(), nullptr);
}

TEST_F(MediaPlayerTest, GifWithoutLoopingStopsOnItsLastFrameAndKeepsSendingIt) {
    dir.write("once.gif", coloursGif({kRed, kGreen, kBlue}, std::nullopt));
    player.PlayMediaFile(dir.path("once"));
    const Rgb expected[] = {kRed, kGreen, kBlue, kBlue, kBlue, kBlue};
    for (const Rgb& colour : expected) {
        tick();
        EXPECT_TRUE(lastFrameColour() == colour) << framesSent();
    }
    EXPECT_EQ(framesSent(), 6u);
    EXPECT_TRUE(gifTimer.enabled());
    player.StopAnimatedGif();
    player.StopAnimatedGif();  // a second stop does nothing more
    tick(3);
    EXPECT_EQ(framesSent(), 6u);
}

TEST_F(MediaPlayerTest, GifWithLoopCountZeroRepeatsWithoutEnd) {
    dir.write("loop.gif", coloursGif({kRed, kGreen}, 0));
    player.PlayMediaFile(dir.path("loop"));
    for (int i = 0; i < 10; ++i) {
        tick();
        EXPECT_TRUE(lastFrameColour() == (i % 2 == 0 ? kRed : kGreen)) << i;
    }
}

TEST_F(MediaPlayerTest, SingleFrameAndLargeGifsAreAnimatedAndScaled) {
    dir.write("single.gif", coloursGif({kGreen}, std::nullopt));
    player.PlayMediaFile(dir.path("single"));
    tick(3);
    EXPECT_EQ(framesSent(), 3u);
    EXPECT_TRUE(lastFrameColour() == kGreen);

    dir.write("large.gif", test::writeGif(test::solidFramesGif(256, 64, {kBlue, kWhite}, 0)));
    player.PlayMediaFile(dir.path("large"));
    tick(2);
    ASSERT_EQ(framesSent(), 5u);
    EXPECT_EQ(device.frames().back().size(), 128u * 32u * 3u);
    EXPECT_TRUE(lastFrameColour() == kWhite);
}

TEST_F(MediaPlayerTest, ColoursOutsideThePaletteAreReducedToANearbyColour) {
    dir.write("odd.gif", coloursGif({Rgb{250, 5, 3}}, 0));
    player.PlayMediaFile(dir.path("odd"));
    tick();
    const std::optional<Rgb> colour = lastFrameColour();
    ASSERT_TRUE(colour.has_value());
    EXPECT_GE(colour->red, 200);
    EXPECT_LE(colour->green, 50);
    EXPECT_LE(colour->blue, 50);
}

// The same rules with Windows paths, through a recording file system.
struct FakeMediaTest : ::testing::Test {
    test::FakeFileSystem files;
    test::FakePictureDecoder pictures;
    ManualTimer gifTimer{100};
    testing::RecordingDevice device;
    MediaPlayer player{{files, pictures, gifTimer, device, platformHalftonePalette()}};
};

TEST_F(FakeMediaTest, TriesTheThreeCandidatesInOrder) {
    player.PlayMediaFile("C:\\media\\game");
    EXPECT_EQ(files.calls, (std::vector<std::string>{"search C:\\media\\game.*", "search C:\\media\\default.*",
                                                      "exists C:\\media\\default.png"}));
    EXPECT_EQ(player.currentMediaFile(), "");

    files.calls.clear();
    player.PlayMediaFile("C:game");
    EXPECT_EQ(files.calls, (std::vector<std::string>{"search C:game.*", "search C:default.*", "exists C:default.png"}));

    files.calls.clear();
    player.PlayMediaFile("");
    EXPECT_EQ(files.calls, (std::vector<std::string>{"search .*", "search default.*", "exists default.png"}));
}

TEST_F(FakeMediaTest, TakesTheFirstEntryThatIsNeitherFolderHiddenNorSystem) {
    files.searchResults["D:\\m\\game.*"] = {
        {"game.d", true, false, false},
        {"game.h.png", false, true, false},
        {"game.s.png", false, false, true},
        {"game.png", false, false, false},
        {"game.gif", false, false, false},
    };
    EXPECT_EQ(player.FindFiles("D:\\m\\game.*"), (std::vector<std::string>{"game.png", "game.gif"}));
    files.existing.insert("D:\\m\\game.png");
    files.contents["D:\\m\\game.png"] = {1};
    pictures.picture.width = 2;
    pictures.picture.height = 2;
    pictures.picture.pixels.assign(16, 0x80);
    player.PlayMediaFile("D:\\m\\game");
    EXPECT_EQ(player.currentMediaFile(), "D:\\m\\game.png");
    EXPECT_EQ(pictures.decodes, 1);
    EXPECT_EQ(device.frames().size(), 1u);
}

TEST_F(FakeMediaTest, ACaseDifferentPathCountsAsAnotherFile) {
    files.searchResults["D:\\m\\game.*"] = {{"game.png", false, false, false}};
    files.searchResults["D:\\m\\GAME.*"] = {{"GAME.png", false, false, false}};
    files.existing = {"D:\\m\\game.png", "D:\\m\\GAME.png"};
    files.contents["D:\\m\\game.png"] = {1};
    files.contents["D:\\m\\GAME.png"] = {1};
    pictures.fail = true;
    player.PlayMediaFile("D:\\m\\game");
    player.PlayMediaFile("D:\\m\\GAME");
    EXPECT_EQ(player.currentMediaFile(), "D:\\m\\GAME.png");
    EXPECT_EQ(pictures.decodes, 2);
    EXPECT_TRUE(device.frames().empty());
}

}  // namespace
}  // namespace zelk::control
