// Mirroring end to end: this test process shows the front-end's two windows,
// so that for the program they are another program's windows, and asks the
// program through its automation class to mirror them onto the recording
// device. It serves its windows' messages all along (serveMessages).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "early_bound_client.h"
#include "platform/win32/handles.h"

namespace {

using namespace program_under_test;

struct Fill {
    RECT rect;
    COLORREF colour;
};

// 256 x 64, twice the DMD each way, in blocks of even sides: every DMD pixel
// averages 2 x 2 pixels of one colour, so the frame is exact.
constexpr int kWidth = 256, kHeight = 64;
constexpr COLORREF kBands[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
constexpr COLORREF kYellow = RGB(255, 255, 0), kClear = RGB(10, 20, 30);
const std::vector<Fill> kScreen = {{{0, 0, 64, 64}, kBands[0]}, {{64, 0, 128, 64}, kBands[1]},
                                   {{128, 0, 192, 64}, kBands[2]}, {{192, 0, 256, 64}, kBands[3]}};
// The overlay's own colour at its bottom-left is transparent; a block over
// the green and blue bands covers the screen.
const std::vector<Fill> kOverlay = {{{0, 0, 256, 64}, kClear}, {{96, 16, 160, 48}, kYellow}};

LRESULT CALLBACK paintFills(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (const auto* fills = reinterpret_cast<const std::vector<Fill>*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
        for (const Fill& fill : *fills) {
            zelk::platform::GdiObject<HBRUSH> brush(CreateSolidBrush(fill.colour));
            FillRect(dc, &fill.rect, brush.get());
        }
    }
    EndPaint(window, &paint);
    return 0;
}

// A borderless top-level window painted with the fills, gone with the object.
struct FrontEndWindow {
    HWND window;
    FrontEndWindow(const wchar_t* title, const std::vector<Fill>& fills, int left) {
        static const bool registered = [] {
            WNDCLASSW c{};
            c.lpfnWndProc = paintFills;
            c.hInstance = GetModuleHandleW(nullptr);
            c.lpszClassName = L"ZelkFrontEndStandIn";
            return RegisterClassW(&c) != 0;
        }();
        window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"ZelkFrontEndStandIn", title, WS_POPUP, left, 0,
                                 kWidth, kHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!registered || window == nullptr) return;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&fills));
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
    }
    ~FrontEndWindow() { DestroyWindow(window); }
};

std::vector<std::string> framesAtDevice() {
    std::vector<std::string> frames;
    const std::string record = recordOfDevice();
    const std::string prefix = "Render_RGB24 128 32 ";
    for (size_t at = record.find(prefix); at != std::string::npos; at = record.find(prefix, at + 1)) {
        frames.push_back(record.substr(at + prefix.size(), record.find('\n', at) - at - prefix.size()));
    }
    return frames;
}

// The bands, and the yellow block where the overlay has it, as the device's
// hex digits: red, green, blue per pixel, rows from the top.
std::string expectedFrame() {
    std::string frame;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 128; ++x) {
            const COLORREF c = x >= 48 && x < 80 && y >= 8 && y < 24 ? kYellow : kBands[x / 32];
            char digits[7];
            std::snprintf(digits, sizeof digits, "%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
            frame += digits;
        }
    }
    return frame;
}

TEST(ControlProgramMirror, MirrorsAnotherProgramsWindowsWithTheOverlayOnTop) {
    registerClass();
    DeleteFileW(besideThisProgram(L"with_device\\dmddevice_record.txt").c_str());
    const Apartment apartment;
    const ComPtr<IDMD> dmd = createDmd();
    ASSERT_TRUE(dmd);
    const Program server = servingCopy();
    ASSERT_EQ(dmd->DMDOpen(), S_OK);

    // No window to mirror: the start gives up after about 4 seconds.
    const ULONGLONG before = GetTickCount64();
    EXPECT_EQ(dmd->DMDStartMirror(), S_OK);
    const ULONGLONG took = GetTickCount64() - before;
    EXPECT_GE(took, 3500u);
    EXPECT_LE(took, 8000u);
    serveMessages(200);
    EXPECT_TRUE(framesAtDevice().empty());

    const FrontEndWindow screen(L"QAVSCREEN1", kScreen, 0);
    const FrontEndWindow overlay(L"QAVOVERLAY1", kOverlay, kWidth + 20);
    ASSERT_TRUE(screen.window && overlay.window);
    serveMessages(200);
    EXPECT_EQ(dmd->DMDStartMirror(), S_OK);
    EXPECT_EQ(dmd->DMDTextMirror(), S_OK);
    // Frames taken since the overlay was attached.
    const size_t withoutOverlay = framesAtDevice().size();
    EXPECT_TRUE(waitUntil([&] { return framesAtDevice().size() >= withoutOverlay + 2; }));
    EXPECT_EQ(dmd->DMDStopMirror(), S_OK);
    const std::vector<std::string> frames = framesAtDevice();
    ASSERT_FALSE(frames.empty());
    const std::string expected = expectedFrame();
    const auto [wrong, _] = std::mismatch(expected.begin(), expected.end(), frames.back().begin(), frames.back().end());
    const size_t pixel = static_cast<size_t>(wrong - expected.begin()) / 6;
    EXPECT_TRUE(frames.back() == expected) << "first wrong DMD pixel " << pixel % 128 << "," << pixel / 128;

    serveMessages(300);
    EXPECT_EQ(framesAtDevice().size(), frames.size()) << "frames after DMDStopMirror";
    EXPECT_EQ(dmd->DMDClose(), S_OK);
    EXPECT_EQ(server.exitCode(), 0u);
}

}  // namespace
