// Mirroring over a fake window capture, a fake clock and a recording device:
// the window wait, the four states, the overlay's transparency and reads that fail.
#include <gtest/gtest.h>

#include "control/timing/manual_timer.h"
#include "control/device/recording_device.h"
#include "control/mirror/screen_mirror.h"
#include "fake_window_capture.h"

namespace zelk::control {
namespace {

using test::FakeWindowCapture;

struct Mirror {
    FakeWindowCapture windows;
    test::FakeWait wait;
    ManualTimer capTimer{50};
    testing::RecordingDevice device;
    ScreenMirror mirror{windows, wait, capTimer, device};

    // The first byte (red) of every pixel of the last frame sent must be red.
    void expectLastFrameRed(uint8_t red, const char* what) {
        const auto frames = device.frames();
        ASSERT_FALSE(frames.empty()) << what;
        for (size_t i = 0; i < frames.back().size(); i += 3) ASSERT_EQ(frames.back()[i], red) << what << " at " << i;
    }
};

TEST(ScreenMirror, WindowWaitLooksEvery20MsForALittleOver4Seconds) {
    const struct {
        int looksBeforeFound;  // -1: never found
        size_t looks;
        uint64_t elapsedMs;
    } cases[] = {{0, 1, 20}, {9, 10, 200}, {-1, 201, 4020}};
    for (const auto& c : cases) {
        Mirror m;
        if (c.looksBeforeFound >= 0) {
            m.windows.windows[kMirrorWindowTitle] = FakeWindowCapture::solid(4, 4, 0, 0, 9);
            m.windows.looksBeforeFound[kMirrorWindowTitle] = c.looksBeforeFound;
        }
        const uint64_t start = m.wait.now;
        m.mirror.StartScreenMirror();
        EXPECT_EQ(m.windows.looks.size(), c.looks);
        EXPECT_EQ(m.wait.pumps, static_cast<int>(c.looks));  // messages served after every look
        EXPECT_EQ(m.wait.now - start, c.elapsedMs);
        EXPECT_EQ(m.capTimer.enabled(), c.looksBeforeFound >= 0);
    }
}

TEST(ScreenMirror, StatesFollowStartsAndStop) {
    Mirror m;
    auto screen = FakeWindowCapture::solid(4, 4, 0, 0, 9);
    auto overlay = FakeWindowCapture::solid(4, 4, 0, 0, 1);
    m.windows.windows[kMirrorWindowTitle] = screen;
    m.windows.windows[kOverlayWindowTitle] = overlay;

    m.mirror.capTimerTimer();  // before any start nothing is sent
    m.mirror.StartOverlayMirror();  // overlay waiting: timer stays off
    EXPECT_EQ(overlay->held, 1);
    EXPECT_FALSE(m.capTimer.enabled());
    EXPECT_TRUE(m.device.frames().empty());

    m.mirror.StartScreenMirror();
    m.mirror.StartScreenMirror();  // replaces the held window, releasing the first
    EXPECT_EQ(screen->released, 1);
    EXPECT_TRUE(m.capTimer.enabled() && screen->held == 1 && overlay->held == 1);

    m.mirror.StopMirror();
    EXPECT_FALSE(m.capTimer.enabled() || screen->held || overlay->held);
    EXPECT_EQ(screen->released, 2);

    m.mirror.StartScreenMirror();  // resumes without the overlay
    EXPECT_EQ(overlay->held, 0);
}

TEST(ScreenMirror, StopDuringTheWaitIsFollowedByTheStartsOwnSteps) {
    Mirror m;
    auto screen = FakeWindowCapture::solid(4, 4, 0, 0, 9);
    m.windows.windows[kMirrorWindowTitle] = screen;
    m.windows.looksBeforeFound[kMirrorWindowTitle] = 3;
    m.wait.onPump = [&m] { m.mirror.StopMirror(); };
    m.mirror.StartScreenMirror();
    EXPECT_TRUE(m.capTimer.enabled() && screen->held == 1);
}

TEST(ScreenMirror, OverlayCoversAllButItsBottomLeftColour) {
    Mirror m;
    m.windows.windows[kMirrorWindowTitle] = FakeWindowCapture::solid(256, 64, 0, 0, 10);
    auto overlay = FakeWindowCapture::solid(256, 64, 0, 0, 200);
    // A text stroke of red 90 in the top-left quarter of the overlay.
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 128; ++x) overlay->pixels.pixels[(static_cast<size_t>(y) * 256 + x) * 4 + 2] = 90;
    m.windows.windows[kOverlayWindowTitle] = overlay;
    m.mirror.StartScreenMirror();
    m.mirror.StartOverlayMirror();
    m.mirror.capTimerTimer();
    const auto frame = m.device.frames().at(0);
    EXPECT_EQ(frame[0], 90);                         // top-left: the stroke covers the mirror
    EXPECT_EQ(frame[(31 * 128 + 127) * 3], 10);      // bottom-right: transparent overlay colour
}

TEST(ScreenMirror, FailedReadsKeepThePreviousPicture) {
    Mirror m;
    auto screen = FakeWindowCapture::solid(128, 32, 0, 0, 40);
    auto overlay = FakeWindowCapture::solid(128, 32, 0, 0, 70);
    overlay->pixels.pixels[2] = 99;  // one covering pixel, top-left
    m.windows.windows[kMirrorWindowTitle] = screen;
    m.windows.windows[kOverlayWindowTitle] = overlay;
    m.mirror.StartScreenMirror();
    m.mirror.capTimerTimer();
    m.expectLastFrameRed(40, "first tick");

    screen->readable = false;  // the window has gone: the last picture again
    m.mirror.capTimerTimer();
    m.expectLastFrameRed(40, "unreadable mirror");

    screen->readable = true;
    overlay->readable = false;  // an unreadable overlay covers nothing
    m.mirror.StartOverlayMirror();
    m.mirror.capTimerTimer();
    m.expectLastFrameRed(40, "unreadable overlay");
    EXPECT_EQ(m.device.frames().size(), 3u);
}

}  // namespace
}  // namespace zelk::control
