#include "device/win32/preview_window.h"

#include <algorithm>
#include <cstring>

#include "core/error.h"
#include "device/win32/library_module.h"
#include "platform/win32/error_text.h"

namespace zelk::device {
namespace {

constexpr wchar_t windowClassName[] = L"TzelkDMDForm";
constexpr wchar_t windowTitle[] = L"zelkDmdForm";
constexpr int initialWidth = 546;
constexpr int initialHeight = 152;
// SC_MOVE combined with the caption hit-test code: the system drags the
// window as if its (absent) caption bar were held.
constexpr WPARAM dragByCaption = 0xF012;

void registerWindowClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = thisModule();
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = windowClassName;
    WNDCLASSEXW existing{};
    if (GetClassInfoExW(windowClass.hInstance, windowClassName, &existing)) return;
    RegisterClassExW(&windowClass);
}

bool drawable(const Bitmap24* bitmap) {
    if (bitmap == nullptr || bitmap->width <= 0 || bitmap->height <= 0) return false;
    size_t needed = static_cast<size_t>(bitmap->width) * static_cast<size_t>(bitmap->height) * 3;
    return bitmap->pixels.size() >= needed;
}

}  // namespace

TzelkDMDForm::TzelkDMDForm(FrameBitmapSource source) : source_(std::move(source)) { createWindow(); }

TzelkDMDForm::~TzelkDMDForm() {
    if (window_ == nullptr) return;
    // Whatever happens to the window, its procedure must never reach this
    // object again (setting the user data sends no message).
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    // Only the owning thread may destroy the window, and never under the
    // loader lock; at process end the system destroys it anyway.
    if (libraryDetaching() || GetWindowThreadProcessId(window_, nullptr) != GetCurrentThreadId()) return;
    DestroyWindow(window_);
    window_ = nullptr;
}

void TzelkDMDForm::createWindow() {
    registerWindowClass();
    // The class starts with DefWindowProcW; the window gets our procedure
    // right after it has its object pointer, so no message arrives early.
    HWND window = CreateWindowExW(0, windowClassName, windowTitle, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                  initialWidth, initialHeight, nullptr, nullptr, thisModule(), nullptr);
    if (window == nullptr) {
        throw Error("EOSError", "Cannot create the preview window. " + platform::errorText(GetLastError()));
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TzelkDMDForm::windowProc));
    window_ = window;
    // The window procedure lives in this library: keep the library loaded
    // for as long as the process may dispatch messages to the window.
    pinThisModule();
}

void TzelkDMDForm::show() {
    // A window destroyed behind our back (its thread ended) is made anew.
    if (window_ == nullptr || !IsWindow(window_)) {
        window_ = nullptr;
        createWindow();
    }
    ShowWindow(window_, SW_SHOW);
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TzelkDMDForm::setOuterSize(int width, int height) {
    if (window_ == nullptr) return;
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TzelkDMDForm::refresh() {
    if (window_ == nullptr) return;
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

LRESULT CALLBACK TzelkDMDForm::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<TzelkDMDForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // Nothing may unwind into the system's message dispatch.
    try {
        return form->handleMessage(message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT TzelkDMDForm::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(window_, &paint);
            if (dc != nullptr) paintFrame(dc);
            EndPaint(window_, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // paintFrame fills what the frame leaves uncovered
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            mouseDown(message);
            return 0;
        case WM_CLOSE:
            // No operation of the plug-in ends the window; a close request
            // from the user only hides it until the next Open shows it.
            ShowWindow(window_, SW_HIDE);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void TzelkDMDForm::paintFrame(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    const Bitmap24* bitmap = source_ ? source_() : nullptr;
    int drawnWidth = 0;
    int drawnHeight = 0;
    if (drawable(bitmap)) {
        drawnWidth = bitmap->width;
        drawnHeight = bitmap->height;
        // Frame rows are packed; a DIB's rows are padded to 4 bytes.
        size_t packed = bitmap->stride();
        size_t padded = (packed + 3) & ~static_cast<size_t>(3);
        const uint8_t* bits = bitmap->pixels.data();
        if (padded != packed) {
            paddedRows_.resize(padded * static_cast<size_t>(drawnHeight));
            for (int32_t y = 0; y < drawnHeight; ++y) {
                std::memcpy(paddedRows_.data() + padded * static_cast<size_t>(y), bitmap->row(y), packed);
            }
            bits = paddedRows_.data();
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = drawnWidth;
        info.bmiHeader.biHeight = -drawnHeight;  // rows from the top
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        StretchDIBits(dc, 0, 0, drawnWidth, drawnHeight, 0, 0, drawnWidth, drawnHeight, bits, &info,
                      DIB_RGB_COLORS, SRCCOPY);
    }
    // What the frame does not cover shows the button-face background.
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    RECT right{std::min<LONG>(drawnWidth, client.right), 0, client.right, client.bottom};
    RECT below{0, std::min<LONG>(drawnHeight, client.bottom), right.left, client.bottom};
    if (right.left < right.right) FillRect(dc, &right, face);
    if (below.top < below.bottom && below.left < below.right) FillRect(dc, &below, face);
}

void TzelkDMDForm::mouseDown(UINT message) {
    if (message != WM_LBUTTONDOWN) return;  // right and middle buttons do nothing
    ReleaseCapture();
    SendMessageW(window_, WM_SYSCOMMAND, dragByCaption, 0);
}

}  // namespace zelk::device
