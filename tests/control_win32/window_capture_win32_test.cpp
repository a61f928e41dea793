// The window capture on real windows of this process, titled like the
// front-end's: what a read delivers, windows missing or gone, and one mirrored
// frame through ScreenMirror with the real capture and the real wait.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "control/output/dmd_output.h"
#include "control/timing/manual_timer.h"
#include "control/device/recording_device.h"
#include "control/mirror/screen_mirror.h"
#include "control/timing/timer.h"
#include "control/mirror/window_capture.h"
#include "platform/win32/handles.h"

namespace zelk::control {
namespace {

struct Fill {
    RECT rect;
    COLORREF colour;
};

constexpr int kWidth = 256, kHeight = 64;  // twice the DMD each way
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
                   kWhite = RGB(255, 255, 255), kYellow = RGB(255, 255, 0), kClear = RGB(10, 20, 30);

// The screen: four vertical bands. The overlay: its transparent colour with a
// yellow block over the top-left quarter of the first band.
const std::vector<Fill> kScreen = {{{0, 0, 64, 64}, kRed}, {{64, 0, 128, 64}, kGreen},
                                   {{128, 0, 192, 64}, kBlue}, {{192, 0, 256, 64}, kWhite}};
const std::vector<Fill> kOverlay = {{{0, 0, 256, 64}, kClear}, {{0, 0, 64, 32}, kYellow}};

LRESULT CALLBACK paintFills(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const auto* fills = reinterpret_cast<const std::vector<Fill>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (fills != nullptr) {
        for (const Fill& fill : *fills) {
            platform::GdiObject<HBRUSH> brush(CreateSolidBrush(fill.colour));
            FillRect(dc, &fill.rect, brush.get());
        }
    }
    EndPaint(window, &paint);
    return 0;
}

// A borderless top-level window painted with the given fills, destroyed with the object.
class PaintedWindow {
public:
    PaintedWindow(const wchar_t* title, const std::vector<Fill>& fills, int left) {
        static const bool registered = [] {
            WNDCLASSW c{};
            c.lpfnWndProc = paintFills;
            c.hInstance = GetModuleHandleW(nullptr);
            c.lpszClassName = kClassName;
            return RegisterClassW(&c) != 0;
        }();
        window_ = registered ? CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, title, WS_POPUP, left, 0, kWidth,
                                               kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)
                             : nullptr;
        if (window_ == nullptr) return;
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&fills));
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
        serveTimers(100);  // let the window system catch up with the painting
    }
    ~PaintedWindow() { destroy(); }
    PaintedWindow(const PaintedWindow&) = delete;
    PaintedWindow& operator=(const PaintedWindow&) = delete;

    bool created() const { return window_ != nullptr; }
    void destroy() {
        if (window_ != nullptr) DestroyWindow(window_);
        window_ = nullptr;
    }

private:
    static constexpr const wchar_t* kClassName = L"ZelkCaptureTestWindow";
    HWND window_ = nullptr;
};

COLORREF pixelAt(const BgraView& read, int x, int y) {
    const uint8_t* p = read.pixels + static_cast<size_t>(y) * read.stride + static_cast<size_t>(x) * 4;
    return RGB(p[2], p[1], p[0]);
}

TEST(WindowCaptureWin32, ReadsTheWholeWindowAtItsSize) {
    PaintedWindow screen(L"QAVSCREEN1", kScreen, 0);
    ASSERT_TRUE(screen.created());
    const std::unique_ptr<CapturedWindow> captured = makeWindowCapture()->findWindow(kMirrorWindowTitle);
    ASSERT_NE(captured, nullptr);
    BgraView read;
    ASSERT_TRUE(captured->read(read));
    ASSERT_EQ(read.width, kWidth);
    ASSERT_EQ(read.height, kHeight);
    ASSERT_EQ(read.stride, static_cast<size_t>(kWidth) * 4);
    const struct {
        int x, y;
        COLORREF colour;
    } probes[] = {{0, 0, kRed}, {63, 63, kRed}, {64, 0, kGreen}, {150, 30, kBlue}, {255, 63, kWhite}};
    for (const auto& probe : probes)
        EXPECT_EQ(pixelAt(read, probe.x, probe.y), probe.colour) << probe.x << "," << probe.y;

    // A resized window is read whole at its new size.
    HWND window = FindWindowW(nullptr, L"QAVSCREEN1");
    SetWindowPos(window, nullptr, 0, 0, 96, 40, SWP_NOMOVE | SWP_NOZORDER);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ASSERT_TRUE(captured->read(read));
    EXPECT_EQ(read.width * 1000 + read.height, 96 * 1000 + 40);
    EXPECT_EQ(pixelAt(read, 95, 39), kGreen);
}

TEST(WindowCaptureWin32, MissingAndDestroyedWindows) {
    EXPECT_EQ(makeWindowCapture()->findWindow("QAVNOSUCHWINDOW"), nullptr);
    PaintedWindow overlay(L"QAVOVERLAY1", kOverlay, 0);
    ASSERT_TRUE(overlay.created());
    const std::unique_ptr<CapturedWindow> captured = makeWindowCapture()->findWindow(kOverlayWindowTitle);
    ASSERT_NE(captured, nullptr);
    overlay.destroy();
    BgraView read;
    EXPECT_FALSE(captured->read(read));
    EXPECT_EQ(read.pixels, nullptr);
}

TEST(WindowCaptureWin32, MirrorsTheScreenWithTheOverlayOnTop) {
    PaintedWindow screen(L"QAVSCREEN1", kScreen, 0);
    PaintedWindow overlay(L"QAVOVERLAY1", kOverlay, kWidth + 20);
    ASSERT_TRUE(screen.created() && overlay.created());
    const std::unique_ptr<WindowCapture> windows = makeWindowCapture();
    const std::unique_ptr<MainThreadWait> wait = makeMainThreadWait();
    ManualTimer capTimer(50);
    testing::RecordingDevice device;
    ScreenMirror mirror(*windows, *wait, capTimer, device);
    mirror.StartScreenMirror();
    mirror.StartOverlayMirror();
    ASSERT_TRUE(capTimer.enabled());
    mirror.capTimerTimer();

    // Every DMD pixel covers 2x2 window pixels of one colour: the averages are
    // the painted colours, the overlay's yellow block covers 32x16 of them.
    const auto frames = device.frames();
    ASSERT_EQ(frames.size(), 1u);
    int mismatches = 0;
    for (int y = 0; y < kDmdHeight; ++y) {
        for (int x = 0; x < kDmdWidth; ++x) {
            const COLORREF bands[] = {kRed, kGreen, kBlue, kWhite};
            const COLORREF expected = x < 32 && y < 16 ? kYellow : bands[x / 32];
            const uint8_t* got = frames[0].data() + (static_cast<size_t>(y) * kDmdWidth + x) * 3;
            if (RGB(got[0], got[1], got[2]) != expected && mismatches++ < 5)
                ADD_FAILURE() << "DMD pixel " << x << "," << y;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(MainThreadWaitWin32, LeavesARequestToQuitForTheMessageLoop) {
    const std::unique_ptr<MainThreadWait> wait = makeMainThreadWait();
    PostQuitMessage(7);
    wait->pumpMessages();
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
}  // namespace zelk::control
