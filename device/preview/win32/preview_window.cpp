#include "device/preview/win32/preview_window.h"

#include <algorithm>

#include "core/error.h"
#include "device/entry/win32/library_module.h"
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

// A window that would lie outside every monitor (one unplugged or
// rearranged since the position was saved) goes whole onto the work area of
// the nearest one instead, so the DMD can never be lost off-screen.
RECT onAMonitor(RECT wanted) {
    if (MonitorFromRect(&wanted, MONITOR_DEFAULTTONULL) != nullptr) return wanted;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor)) return wanted;
    const RECT& work = monitor.rcWork;
    const LONG width = wanted.right - wanted.left;
    const LONG height = wanted.bottom - wanted.top;
    const LONG left = std::max(work.left, std::min(wanted.left, work.right - width));
    const LONG top = std::max(work.top, std::min(wanted.top, work.bottom - height));
    return {left, top, left + width, top + height};
}

}  // namespace

TzelkDMDForm::TzelkDMDForm(FrameBitmapSource source, DragEndSink dragEnded)
    : source_(std::move(source)), dragEnded_(std::move(dragEnded)) {
    createWindow();
}

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
    // WS_EX_NOACTIVATE: neither a click nor a drag takes the keyboard from
    // the game, whose window must keep it.
    HWND window = CreateWindowExW(WS_EX_NOACTIVATE, windowClassName, windowTitle, WS_POPUP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, initialWidth, initialHeight, nullptr, nullptr, thisModule(), nullptr);
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

RECT TzelkDMDForm::placement(bool settingsCorner) const {
    RECT now{};
    GetWindowRect(window_, &now);
    LONG width = now.right - now.left;
    LONG height = now.bottom - now.top;
    if (frameSize_) {
        const int scale = fittingScale(frameSize_->cx, frameSize_->cy, look_.scale);
        width = frameSize_->cx * scale;
        height = frameSize_->cy * scale;
    }
    const LONG left = settingsCorner ? look_.x.value_or(now.left) : now.left;
    const LONG top = settingsCorner ? look_.y.value_or(now.top) : now.top;
    const RECT wanted{left, top, left + width, top + height};
    return look_.x || look_.y ? onAMonitor(wanted) : wanted;
}

bool TzelkDMDForm::ownThread() const {
    return GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId();
}

void TzelkDMDForm::show(const PreviewLook& look) {
    // A window destroyed behind our back (its thread ended) is made anew,
    // owned by this thread.
    if (window_ == nullptr || !IsWindow(window_)) {
        window_ = nullptr;
        createWindow();
    }
    look_ = look;
    // A window already fitted to a frame follows a changed scale.
    const RECT place = placement(true);
    // From another thread, ShowWindow and SetWindowPos would wait until the
    // window's thread has served them: the requests are posted to it
    // instead, and take effect when it next serves its messages.
    const bool own = ownThread();
    const UINT async = own ? 0 : SWP_ASYNCWINDOWPOS;
    if (own) {
        ShowWindow(window_, SW_SHOWNOACTIVATE);
    } else {
        ShowWindowAsync(window_, SW_SHOWNOACTIVATE);
    }
    // Taking the topmost style away needs HWND_NOTOPMOST; HWND_TOP alone
    // would keep it.
    if (!look.topmost && (GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
        SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | async);
    }
    // Every Open puts the window on top again, above a backglass that came later.
    SetWindowPos(window_, look.topmost ? HWND_TOPMOST : HWND_TOP, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOACTIVATE | async);
    remakeRefused_ = false;
}

void TzelkDMDForm::fitToFrame(int width, int height) {
    frameSize_ = SIZE{width, height};
    // A window that went with its thread gets the size when it is made anew.
    if (window_ == nullptr || !IsWindow(window_)) return;
    const RECT place = placement(false);
    // From another thread, only the size: a place taken from the window now
    // could undo a move still waiting for the window's thread (a later Open's
    // corner), and a window on a monitor stays on it when only its size changes.
    SetWindowPos(window_, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (ownThread() ? 0 : SWP_ASYNCWINDOWPOS | SWP_NOMOVE));
}

void TzelkDMDForm::refresh() {
    // A window that went with its thread is made anew by the next frame.
    if (window_ == nullptr || !IsWindow(window_)) {
        if (remakeRefused_) return;
        remakeRefused_ = true;
        show(look_);
    }
    if (ownThread()) {
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return;
    }
    // RedrawWindow from another thread would send WM_PAINT and wait for the
    // window's thread: this thread draws through the window's DC itself.
    // What is still to be painted stays so, for the window's thread to paint
    // the same frame when it serves its messages.
    const platform::WindowDc dc(window_);
    if (dc.valid()) paintFrame(dc.get());
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
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_WINDOWPOSCHANGING:
            // Whatever moves, sizes or raises the window (the system's move
            // loop at the end of a drag included) does it without activating it.
            reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_NOACTIVATE;
            return DefWindowProcW(window_, message, wParam, lParam);
        case WM_EXITSIZEMOVE: {
            // The end of a drag (the system's move loop ends with it).
            RECT place{};
            if (dragEnded_ && GetWindowRect(window_, &place)) dragEnded_(place.left, place.top);
            return 0;
        }
        case WM_CLOSE:
            // No operation of the plug-in ends the window; a close request
            // from the user only hides it until the next Open shows it.
            ShowWindow(window_, SW_HIDE);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

bool TzelkDMDForm::prepareCanvas(int width, int height) {
    if (canvas_.valid() && canvasSize_.cx == width && canvasSize_.cy == height) return true;
    canvas_.reset();
    canvasBits_ = nullptr;
    if (!canvasDc_.valid()) canvasDc_.reset(CreateCompatibleDC(nullptr));
    if (!canvasDc_.valid()) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;     // B, G, R, unused: no row padding
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    canvas_.reset(CreateDIBSection(canvasDc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!canvas_.valid() || bits == nullptr) {
        canvas_.reset();
        return false;
    }
    canvasBits_ = static_cast<uint32_t*>(bits);
    canvasSize_ = SIZE{width, height};
    return true;
}

void TzelkDMDForm::paintFrame(HDC dc) {
    if (!source_) {
        drawFrame(dc, nullptr);
        return;
    }
    source_([this, dc](const Bitmap24* bitmap) { drawFrame(dc, bitmap); });
}

void TzelkDMDForm::drawFrame(HDC dc, const Bitmap24* bitmap) {
    RECT client{};
    GetClientRect(window_, &client);
    int drawnWidth = 0;
    int drawnHeight = 0;
    if (drawable(bitmap)) {
        const int scale = fittingScale(bitmap->width, bitmap->height, look_.scale);
        raster_.setLook(scale, look_.dots);
        if (prepareCanvas(bitmap->width * scale, bitmap->height * scale)) {
            drawnWidth = canvasSize_.cx;
            drawnHeight = canvasSize_.cy;
            raster_.draw(*bitmap, canvasBits_, static_cast<size_t>(drawnWidth));
            platform::SelectedObject selected(canvasDc_.get(), canvas_.get());
            BitBlt(dc, 0, 0, drawnWidth, drawnHeight, canvasDc_.get(), 0, 0, SRCCOPY);
            // GDI batches per thread: it is done with the canvas before the
            // next paint, perhaps on another thread, draws over it.
            GdiFlush();
        }
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
