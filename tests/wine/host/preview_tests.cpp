// The preview window as a user sees it: found by its title, borderless, at
// its first size, then showing the frames pixel for pixel (read back from
// the screen), kept by Close, shown again by Open, and safe after unloading;
// with the preview keys placed, scaled, dotted, on top, never active, and
// its position saved after a drag when asked for.
#include <algorithm>
#include <future>
#include <thread>

#include "core/png_writer.h"
#include "device/preview/preview_raster.h"
#include "plugin_host.h"
#include "test_support.h"

namespace zelk::wine {
namespace {

const std::string showPreview = "[SETTINGS]\r\nSHOWDMD=1\r\n";

struct Size {
    int width;
    int height;
    bool operator==(const Size&) const = default;
};

void PrintTo(const Size& size, std::ostream* out) { *out << size.width << "x" << size.height; }

// A plain function, not a lambda: x86 callbacks take the stdcall convention.
BOOL CALLBACK collectPreviewWindow(HWND window, LPARAM list) {
    wchar_t title[64] = {};
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && GetWindowTextW(window, title, 64) > 0 &&
        std::wstring(title) == L"zelkDmdForm") {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> previewWindows() {
    std::vector<HWND> found;
    EnumWindows(collectPreviewWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

Size clientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

Size outerSize(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

// The window's pixels as RGB triples, read from the screen through the
// window's device context.
std::vector<uint8_t> windowPixels(HWND window, Size size) {
    HDC windowDc = GetWindowDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = -size.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memoryDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memoryDc, bitmap);
    BitBlt(memoryDc, 0, 0, size.width, size.height, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<uint8_t> rgb(static_cast<size_t>(size.width * size.height) * 3);
    const auto* bgrx = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(size.width * size.height); ++i) {
        rgb[i * 3] = bgrx[i * 4 + 2];
        rgb[i * 3 + 1] = bgrx[i * 4 + 1];
        rgb[i * 3 + 2] = bgrx[i * 4];
    }
    SelectObject(memoryDc, old);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return rgb;
}

std::vector<uint8_t> uniform(Size size, COLORREF colour) {
    std::vector<uint8_t> rgb(static_cast<size_t>(size.width * size.height) * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = GetRValue(colour);
        rgb[i + 1] = GetGValue(colour);
        rgb[i + 2] = GetBValue(colour);
    }
    return rgb;
}

// Every pixel different from its neighbours, so that a shifted or flipped
// picture cannot pass.
std::vector<uint8_t> gradientFrame(Size size) {
    std::vector<uint8_t> rgb(static_cast<size_t>(size.width * size.height) * 3);
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            uint8_t* pixel = rgb.data() + (static_cast<size_t>(y) * size.width + x) * 3;
            pixel[0] = static_cast<uint8_t>(x * 2);
            pixel[1] = static_cast<uint8_t>(y * 8);
            pixel[2] = static_cast<uint8_t>(x * 3 + y * 5);
        }
    }
    return rgb;
}

Bitmap24 bitmapFromRgb(const std::vector<uint8_t>& rgb, Size size) {
    Bitmap24 bitmap(size.width, size.height);
    for (size_t i = 0; i < rgb.size(); i += 3) {
        bitmap.pixels[i] = rgb[i + 2];
        bitmap.pixels[i + 1] = rgb[i + 1];
        bitmap.pixels[i + 2] = rgb[i];
    }
    return bitmap;
}

// Names the first differing pixel instead of printing 12 kB of bytes.
::testing::AssertionResult samePixels(const std::vector<uint8_t>& actual, const std::vector<uint8_t>& expected,
                                      Size size) {
    if (actual.size() != expected.size()) return ::testing::AssertionFailure() << "sizes differ";
    for (size_t i = 0; i < actual.size(); i += 3) {
        if (actual[i] != expected[i] || actual[i + 1] != expected[i + 1] || actual[i + 2] != expected[i + 2]) {
            size_t pixel = i / 3;
            return ::testing::AssertionFailure()
                   << "pixel (" << pixel % static_cast<size_t>(size.width) << ", "
                   << pixel / static_cast<size_t>(size.width) << ") is " << int(actual[i]) << "," << int(actual[i + 1])
                   << "," << int(actual[i + 2]) << ", expected " << int(expected[i]) << "," << int(expected[i + 1])
                   << "," << int(expected[i + 2]);
        }
    }
    return ::testing::AssertionSuccess();
}

// For a person to look at: the test's folder keeps the picture.
void keepPicture(const fs::path& file, const std::vector<uint8_t>& rgb, Size size) {
    writeFile(file, encodePngRgb(static_cast<uint32_t>(size.width), static_cast<uint32_t>(size.height), rgb.data()));
}

RECT windowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT workArea(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

// A plain window of the host's own, as a game's window would be.
HWND makeHostWindow(DWORD extendedStyle = 0) {
    HWND window = CreateWindowExW(extendedStyle, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 200, 200, 300, 200,
                                  nullptr, nullptr, nullptr, nullptr);
    pumpMessages();
    return window;
}

class PreviewTest : public WineTest {
protected:
    void openWithPreview(const std::string& keys = "") {
        pluginFolder_ = folder_ / L"plugin";
        host_ = std::make_unique<PluginHost>(makePluginFolder(pluginFolder_, showPreview + keys));
        ASSERT_TRUE(host_->Open());
        std::vector<HWND> windows = previewWindows();
        ASSERT_EQ(windows.size(), 1u);
        window_ = windows[0];
    }

    // A changed settings file, read by the next Open.
    void reopen(const std::string& keys) {
        writeFile(pluginFolder_ / L"dmddevicezelk.ini", showPreview + keys);
        ASSERT_TRUE(host_->Open());
    }

    fs::path pluginFolder_;
    std::unique_ptr<PluginHost> host_;
    HWND window_ = nullptr;
};

class PreviewFrameTest : public PreviewTest, public ::testing::WithParamInterface<Size> {};

TEST_P(PreviewFrameTest, BorderlessWindowThenTheFramePixelForPixel) {
    ASSERT_NO_FATAL_FAILURE(openWithPreview());
    EXPECT_TRUE(IsWindowVisible(window_));
    LONG style = GetWindowLongW(window_, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME | WS_SYSMENU | WS_CHILD));
    EXPECT_EQ(GetAncestor(window_, GA_PARENT), GetDesktopWindow()) << "a top-level window";
    EXPECT_EQ(GetWindow(window_, GW_OWNER), nullptr);
    EXPECT_EQ(clientSize(window_), (Size{546, 152}));
    EXPECT_EQ(outerSize(window_), (Size{546, 152}));
    EXPECT_TRUE(samePixels(windowPixels(window_, {546, 152}), uniform({546, 152}, GetSysColor(COLOR_BTNFACE)),
                           {546, 152}))
        << "the button-face background before the first frame";

    const Size size = GetParam();
    std::vector<uint8_t> frame = gradientFrame(size);
    host_->Render_RGB24(size.width, size.height, frame);
    EXPECT_EQ(clientSize(window_), size);
    EXPECT_EQ(outerSize(window_), size);
    EXPECT_TRUE(samePixels(windowPixels(window_, size), frame, size)) << "painted within Render_RGB24";

    // A repaint the system asks for draws the same frame.
    InvalidateRect(window_, nullptr, TRUE);
    pumpMessages(100);
    EXPECT_TRUE(samePixels(windowPixels(window_, size), frame, size)) << "system repaint";
}

// 127 x 31: frame rows of 381 bytes, which GDI needs padded to 384.
INSTANTIATE_TEST_SUITE_P(FrameSizes, PreviewFrameTest, ::testing::Values(Size{128, 32}, Size{127, 31}),
                         [](const ::testing::TestParamInfo<Size>& param) {
                             return std::to_string(param.param.width) + "x" + std::to_string(param.param.height);
                         });

struct LookCase {
    const char* name;
    const char* keys;
    int scale;
    bool dots;
};

void PrintTo(const LookCase& look, std::ostream* out) { *out << look.name; }

class PreviewLookTest : public PreviewTest, public ::testing::WithParamInterface<LookCase> {};

// The window takes the frame's size times the scale and shows the frame
// enlarged: squares of the dot's colour, or the round dots the raster draws
// (its own tests check their shape), blitted as they are.
TEST_P(PreviewLookTest, ScaledFrameReadBack) {
    const LookCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(openWithPreview(std::string("PREVIEWX=0\r\nPREVIEWY=0\r\n") + c.keys));
    const std::vector<uint8_t> frame = gradientFrame({dmdWidth, dmdHeight});
    host_->Render_RGB24(dmdWidth, dmdHeight, frame);
    const Size size{dmdWidth * c.scale, dmdHeight * c.scale};
    EXPECT_EQ(outerSize(window_), size);

    std::vector<uint8_t> expected(static_cast<size_t>(size.width * size.height) * 3);
    device::PreviewRaster raster;
    raster.setLook(c.scale, c.dots);
    std::vector<uint32_t> drawn(static_cast<size_t>(size.width * size.height));
    raster.draw(bitmapFromRgb(frame, {dmdWidth, dmdHeight}), drawn.data(), static_cast<size_t>(size.width));
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            uint8_t* pixel = expected.data() + (static_cast<size_t>(y) * size.width + x) * 3;
            const uint8_t* dot = frame.data() + (static_cast<size_t>(y / c.scale) * dmdWidth + x / c.scale) * 3;
            const uint32_t packed = drawn[static_cast<size_t>(y * size.width + x)];
            const uint8_t drawnRgb[3] = {static_cast<uint8_t>(packed >> 16), static_cast<uint8_t>(packed >> 8),
                                         static_cast<uint8_t>(packed)};
            std::copy_n(c.dots ? drawnRgb : dot, 3, pixel);
        }
    }
    const std::vector<uint8_t> actual = windowPixels(window_, size);
    keepPicture(folder_ / (std::string("preview_") + c.name + ".png"), actual, size);
    EXPECT_TRUE(samePixels(actual, expected, size));
}

INSTANTIATE_TEST_SUITE_P(Looks, PreviewLookTest,
                         ::testing::Values(LookCase{"squares2", "PREVIEWSCALE=2\r\n", 2, false},
                                           LookCase{"squares5", "PREVIEWSCALE=5\r\n", 5, false},
                                           LookCase{"dots4", "PREVIEWSCALE=4\r\nPREVIEWDOTS=1\r\n", 4, true},
                                           LookCase{"dots8", "PREVIEWSCALE=8\r\nPREVIEWDOTS=1\r\n", 8, true}),
                         [](const ::testing::TestParamInfo<LookCase>& param) { return param.param.name; });

// A corner from the settings, then (re-read by the next Open) one that would
// lie off every monitor, pulled back whole onto the nearest (here the only).
TEST_F(PreviewTest, PositionFromTheSettingsKeptOnAMonitor) {
    ASSERT_NO_FATAL_FAILURE(openWithPreview("PREVIEWX=100\r\nPREVIEWY=50\r\n"));
    host_->Render_RGB24(dmdWidth, dmdHeight, gradientFrame({dmdWidth, dmdHeight}));
    EXPECT_EQ(windowRect(window_).left, 100);
    EXPECT_EQ(windowRect(window_).top, 50);

    ASSERT_NO_FATAL_FAILURE(reopen("PREVIEWX=5000\r\nPREVIEWY=-3000\r\n"));
    const RECT work = workArea(window_);
    EXPECT_EQ(windowRect(window_).left, work.right - dmdWidth);
    EXPECT_EQ(windowRect(window_).top, work.top);
}

// Topmost: above a window that came later (a backglass, itself topmost)
// once the next Open has put it back on top; without the key (before, and
// after an Open that no longer has it), not topmost.
TEST_F(PreviewTest, TopmostAndBackOnTopAtEveryOpen) {
    ASSERT_NO_FATAL_FAILURE(openWithPreview());
    EXPECT_FALSE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_NO_FATAL_FAILURE(reopen("PREVIEWTOPMOST=1\r\n"));
    EXPECT_TRUE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
    HWND backglass = makeHostWindow(WS_EX_TOPMOST);
    ASSERT_TRUE(host_->Open());
    bool previewAbove = false;
    for (HWND above = GetWindow(backglass, GW_HWNDPREV); above != nullptr; above = GetWindow(above, GW_HWNDPREV)) {
        previewAbove = previewAbove || above == window_;
    }
    EXPECT_TRUE(previewAbove);
    DestroyWindow(backglass);
    ASSERT_NO_FATAL_FAILURE(reopen(""));
    EXPECT_FALSE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) << "taken back by an Open without the key";
}

// The position is written back at the end of a drag (the system's move
// loop ends with WM_EXITSIZEMOVE) with PREVIEWSAVE=1, keeping the rest of
// the file; once a later Open has read PREVIEWSAVE=0, no more.
TEST_F(PreviewTest, DragEndSavesThePositionOnlyWhenAsked) {
    auto dragTo = [this](int x, int y) {
        SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(window_, WM_EXITSIZEMOVE, 0, 0);
        return readFile(pluginFolder_ / L"dmddevicezelk.ini");
    };
    ASSERT_NO_FATAL_FAILURE(openWithPreview("PREVIEWSAVE=1\r\n"));
    host_->Render_RGB24(dmdWidth, dmdHeight, gradientFrame({dmdWidth, dmdHeight}));
    const std::string saved = dragTo(123, 45);
    EXPECT_EQ(saved.find(showPreview + "PREVIEWSAVE=1\r\n"), 0u) << saved;
    EXPECT_NE(saved.find("PREVIEWX=123\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("PREVIEWY=45\r\n"), std::string::npos) << saved;

    ASSERT_NO_FATAL_FAILURE(reopen("PREVIEWSAVE=0\r\n"));
    EXPECT_EQ(dragTo(200, 100), showPreview + "PREVIEWSAVE=0\r\n");
}

TEST_F(PreviewTest, LaterOpenShowsTheSameWindowAndCloseLeavesIt) {
    ASSERT_NO_FATAL_FAILURE(openWithPreview());
    std::vector<uint8_t> frame = gradientFrame({128, 32});
    host_->Render_RGB24(128, 32, frame);
    ShowWindow(window_, SW_HIDE);
    pumpMessages();

    ASSERT_TRUE(host_->Open());
    EXPECT_EQ(previewWindows(), std::vector<HWND>{window_});
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_EQ(clientSize(window_), (Size{128, 32})) << "resized once, with the first frame only";

    ASSERT_TRUE(host_->Close());
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_TRUE(samePixels(windowPixels(window_, {128, 32}), frame, {128, 32}));
}

// The frame bitmap made while the preview was off (matching was on): a later
// Open with the preview makes the window at 546 x 152 and keeps that size;
// the frame shows in its top-left corner, the rest in the background colour.
TEST_F(PreviewTest, FrameBitmapFromBeforeThePreviewKeepsTheWindowSize) {
    pluginFolder_ = folder_ / L"plugin";
    host_ = std::make_unique<PluginHost>(makePluginFolder(pluginFolder_, ""));
    writeTriggerImages(folder_ / L"game01" / L"ZelkCapture", 1);  // no player: the current folder
    ASSERT_TRUE(host_->Open());
    host_->SetGameName("game01");
    std::vector<uint8_t> frame = gradientFrame({128, 32});
    host_->Render_RGB24(128, 32, frame);  // matched (no trigger), so the frame bitmap exists
    EXPECT_TRUE(previewWindows().empty());

    writeFile(pluginFolder_ / L"dmddevicezelk.ini", showPreview);
    ASSERT_TRUE(host_->Open());
    std::vector<HWND> windows = previewWindows();
    ASSERT_EQ(windows.size(), 1u);
    window_ = windows[0];
    host_->Render_RGB24(128, 32, frame);
    EXPECT_EQ(clientSize(window_), (Size{546, 152}));
    std::vector<uint8_t> expected = uniform({546, 152}, GetSysColor(COLOR_BTNFACE));
    for (int y = 0; y < 32; ++y) {
        std::copy_n(frame.begin() + y * 128 * 3, 128 * 3, expected.begin() + y * 546 * 3);
    }
    EXPECT_TRUE(samePixels(windowPixels(window_, {546, 152}), expected, {546, 152}));
}

// The window's owner opens, then only waits (as while stopping a game) for a game thread and a renderer
// serving no messages: the last frame shows at once, the size fits once the owner serves its messages.
TEST_F(PreviewTest, HostWaitingForItsRenderThreadsNeverWaitsForThePreview) {
    ASSERT_NO_FATAL_FAILURE(openWithPreview("SHADEDHOST=1\r\n"));
    const Size size{dmdWidth, dmdHeight};
    const std::vector<uint8_t> first = uniform(size, RGB(200, 0, 0)), last = gradientFrame(size);
    auto game = std::async(std::launch::async,
                           [this] { playShadedGame(pluginFolder_ / ZELK_PLUGIN_FILE_NAME, "game01"); }).share();
    auto renderer = std::async(std::launch::async, [&] {
        host_->entries().Open();
        host_->entries().Render_RGB24(dmdWidth, dmdHeight, reinterpret_cast<const rgb24*>(first.data()));
        game.wait();
        host_->entries().Render_RGB24(dmdWidth, dmdHeight, reinterpret_cast<const rgb24*>(last.data()));
    }).share();
    for (const std::shared_future<void>& thread : {game, renderer}) {
        if (thread.wait_for(std::chrono::seconds(60)) == std::future_status::ready) continue;
        ADD_FAILURE() << "the host hangs: a thread waits for the window's thread";
        fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 1);  // the stuck threads would run on into an ended test
    }
    EXPECT_TRUE(samePixels(windowPixels(window_, size), last, size)) << "before the main thread serves its messages";
    pumpMessages(200);
    EXPECT_EQ(outerSize(window_), size);
    EXPECT_TRUE(samePixels(windowPixels(window_, size), last, size));
}

// The system destroys a window with its thread; the next frame makes it anew.
TEST_F(PreviewTest, WindowGoneWithItsThreadIsMadeAnewByTheNextFrame) {
    pluginFolder_ = folder_ / L"plugin";
    host_ = std::make_unique<PluginHost>(makePluginFolder(pluginFolder_, showPreview));
    std::thread([this] { host_->entries().Open(); }).join();
    EXPECT_TRUE(previewWindows().empty());
    host_->Render_RGB24(128, 32, gradientFrame({128, 32}));
    const std::vector<HWND> windows = previewWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(outerSize(windows[0]), (Size{128, 32}));
    EXPECT_TRUE(samePixels(windowPixels(windows[0], {128, 32}), gradientFrame({128, 32}), {128, 32}));
}

TEST_F(PreviewTest, RightAndMiddleButtonsDoNothing) {
    ASSERT_NO_FATAL_FAILURE(openWithPreview());
    host_->Render_RGB24(128, 32, gradientFrame({128, 32}));
    RECT before{};
    GetWindowRect(window_, &before);
    for (UINT message : {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP}) {
        PostMessageW(window_, message, 0, MAKELPARAM(10, 10));
    }
    pumpMessages(100);
    RECT after{};
    GetWindowRect(window_, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_TRUE(IsWindowVisible(window_));
}

// A real mouse drag through the system's input queue: the left button moves
// the window with the mouse. Neither Open nor the drag takes the foreground
// (and with it the keyboard) from the host's window.
TEST_F(PreviewTest, LeftButtonDragMovesTheWindowWithoutActivatingIt) {
    HWND game = makeHostWindow();
    SetForegroundWindow(game);
    pumpMessages();
    ASSERT_EQ(GetForegroundWindow(), game);
    ASSERT_NO_FATAL_FAILURE(openWithPreview());
    host_->Render_RGB24(128, 32, gradientFrame({128, 32}));
    EXPECT_EQ(GetForegroundWindow(), game) << "after Open";
    RECT before{};
    GetWindowRect(window_, &before);
    POINT start{before.left + 20, before.top + 10};
    SetCursorPos(start.x, start.y);
    pumpMessages(100);
    auto mouse = [](DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof input);
    };
    // The press enters the system's move loop inside the window's message
    // handler, on this thread; the rest of the drag comes from another
    // thread, as the real mouse would.
    const DWORD hostThread = GetCurrentThreadId();
    std::thread hand([&] {
        mouse(MOUSEEVENTF_LEFTDOWN);
        // Move only once the system's move loop runs, however slow the machine.
        GUITHREADINFO state{};
        state.cbSize = sizeof state;
        for (int wait = 0; wait < 100; ++wait) {
            if (GetGUIThreadInfo(hostThread, &state) && (state.flags & GUI_INMOVESIZE)) break;
            Sleep(20);
        }
        for (int step = 1; step <= 5; ++step) {
            SetCursorPos(start.x + 10 * step, start.y + 6 * step);
            Sleep(50);
        }
        mouse(MOUSEEVENTF_LEFTUP);
    });
    pumpMessages(1000);
    hand.join();
    pumpMessages(100);
    RECT after{};
    GetWindowRect(window_, &after);
    EXPECT_EQ(after.left - before.left, 50);
    EXPECT_EQ(after.top - before.top, 30);
    EXPECT_EQ(clientSize(window_), (Size{128, 32}));
    EXPECT_EQ(GetForegroundWindow(), game) << "after the drag";
    DestroyWindow(game);
}

TEST_F(PreviewTest, WindowKeepsTheLibraryLoadedAfterTheHostLetsGo) {
    ASSERT_NO_FATAL_FAILURE(openWithPreview());
    std::vector<uint8_t> frame = gradientFrame({128, 32});
    host_->Render_RGB24(128, 32, frame);
    fs::path library = pluginFolder_ / ZELK_PLUGIN_FILE_NAME;
    host_->unload();
    EXPECT_NE(GetModuleHandleW(library.c_str()), nullptr) << "the window's code must stay";
    InvalidateRect(window_, nullptr, TRUE);
    pumpMessages(100);
    EXPECT_TRUE(samePixels(windowPixels(window_, {128, 32}), frame, {128, 32}));
}

TEST_F(PreviewTest, WithoutPreviewTheLibraryUnloads) {
    pluginFolder_ = folder_ / L"plugin";
    host_ = std::make_unique<PluginHost>(makePluginFolder(pluginFolder_, ""));
    ASSERT_TRUE(host_->Open());
    host_->Render_RGB24(128, 32, gradientFrame({128, 32}));
    EXPECT_TRUE(previewWindows().empty());
    host_->unload();
    EXPECT_EQ(GetModuleHandleW((pluginFolder_ / ZELK_PLUGIN_FILE_NAME).c_str()), nullptr);
}

}  // namespace
}  // namespace zelk::wine
