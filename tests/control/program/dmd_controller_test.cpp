// Each automation method of the controller reaches its operation; DMDClose
// ends the program even when the device fails to close.
#include <gtest/gtest.h>

#include <stdexcept>

#include "control/program/dmd_controller.h"
#include "control/timing/manual_timer.h"
#include "control/device/recording_device.h"
#include "core/halftone_palette.h"
#include "control/media/fake_media_services.h"
#include "control/mirror/fake_window_capture.h"

namespace zelk::control {
namespace {

using Kind = testing::RecordedCall::Kind;

class ClosingDevice final : public testing::RecordingDevice {
public:
    bool failClose = false;
    void Close() override {
        RecordingDevice::Close();
        if (failClose) throw std::runtime_error("close failed");
    }
};

struct Controller {
    ClosingDevice device;
    test::FakeFileSystem files;
    test::FakePictureDecoder pictures;
    ManualTimer gifTimer{100}, capTimer{50};
    test::FakeWindowCapture windows;
    test::FakeWait wait;
    std::vector<std::string> shell;
    DmdController controller{{device, files, pictures, gifTimer, capTimer, windows, wait,
                              fixedHalftonePalette(), [this] { shell.push_back("reset"); },
                              [this] { shell.push_back("quit"); }}};
};

TEST(DmdController, MethodsReachTheirOperations) {
    Controller c;
    c.controller.DMDDelayOpen(-5);
    EXPECT_TRUE(c.device.calls.empty());
    c.controller.DMDOpen();
    EXPECT_EQ(c.device.count(Kind::Open), 1u);
    EXPECT_EQ(c.device.count(Kind::GameSettings), 1u);

    c.controller.DMDSetFPS(7);
    EXPECT_EQ(c.gifTimer.interval(), 142u);
    EXPECT_EQ(c.capTimer.interval(), 142u);

    c.files.searchResults["C:\\media\\game.*"] = {{"game.png"}};
    c.files.existing.insert("C:\\media\\game.png");
    c.files.contents["C:\\media\\game.png"] = {1};
    c.pictures.picture = {128, 32, std::vector<uint8_t>(128 * 32 * 4, 0)};
    c.controller.DMDPlay("C:\\media\\game");
    EXPECT_EQ(c.device.count(Kind::Render), 1u);  // the picture found and shown

    auto screen = test::FakeWindowCapture::solid(4, 4, 0, 0, 1);
    c.windows.windows[kMirrorWindowTitle] = screen;
    c.windows.windows[kOverlayWindowTitle] = test::FakeWindowCapture::solid(4, 4, 0, 0, 1);
    c.controller.DMDTextMirror();
    c.controller.DMDStartMirror();
    c.controller.capTimerTimer();
    EXPECT_EQ(c.device.count(Kind::Render), 2u);
    c.controller.DMDStopMirror();
    EXPECT_FALSE(c.capTimer.enabled() || screen->held);
    EXPECT_TRUE(c.shell.empty());
}

TEST(DmdController, CloseEndsTheProgramWhateverTheDeviceDoes) {
    for (const bool failClose : {false, true}) {
        Controller c;
        c.device.failClose = failClose;
        c.controller.DMDClose();
        EXPECT_EQ(c.device.count(Kind::Close), 1u);
        EXPECT_EQ(c.shell, (std::vector<std::string>{"reset", "quit"})) << failClose;
    }
}

}  // namespace
}  // namespace zelk::control
