#include "control/program/win32/dmd_form.h"

#include "core/error.h"
#include "platform/win32/error_text.h"

namespace zelk::control {
namespace {

constexpr wchar_t formClass[] = L"TDMDForm";
constexpr wchar_t applicationClass[] = L"ZelkDMDControlApplication";
constexpr int clientWidth = 435;
constexpr int clientHeight = 171;

void registerClass(const wchar_t* name, WNDPROC procedure, HICON icon) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512))  /* IDC_ARROW */;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw Error("EOSError", "cannot register window class: " + platform::errorText(GetLastError()));
    }
}

HWND createWindow(const wchar_t* windowClass, const wchar_t* caption, DWORD style, DWORD extendedStyle,
                  int width, int height, HWND owner, void* self) {
    HWND window = CreateWindowExW(extendedStyle, windowClass, caption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  width, height, owner, nullptr, GetModuleHandleW(nullptr), self);
    if (window == nullptr) {
        throw Error("EOSError", "cannot create window: " + platform::errorText(GetLastError()));
    }
    return window;
}

// Both window procedures find their object through the pointer handed to
// CreateWindowExW.
template <typename Owner>
Owner* ownerOf(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return self;
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

TDMDForm::TDMDForm(DmdDevice& device, AutomationServer& server, TimerSteps steps)
    : device_(device), server_(server) {
    HICON mainIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    registerClass(applicationClass, applicationProcedure, mainIcon);
    registerClass(formClass, formProcedure, mainIcon);
    // The hidden application window owns the form, so the form gets no
    // task-bar button of its own.
    application_ = createWindow(applicationClass, L"ZelkDMDControl", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0,
                                nullptr, this);
    RECT frame{0, 0, clientWidth, clientHeight};
    const DWORD style = WS_OVERLAPPEDWINDOW;
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    form_ = createWindow(formClass, L"DMDForm", style, 0, frame.right - frame.left, frame.bottom - frame.top,
                         application_, this);
    trayIcon_ = std::make_unique<TrayIcon>(form_, application_,
                                           TrayIcon::Handlers{[this] { TrayIcon1DblClick(); },
                                                              [this] { close1Click(); }});
    gifTimer_ = makeTimer(100, std::move(steps.gifTimerTick));
    capTimer_ = makeTimer(50, std::move(steps.capTimerTick));
}

TDMDForm::~TDMDForm() {
    gifTimer_.reset();
    capTimer_.reset();
    trayIcon_.reset();
    // The procedures must not reach this object while the windows go.
    SetWindowLongPtrW(form_, GWLP_USERDATA, 0);
    SetWindowLongPtrW(application_, GWLP_USERDATA, 0);
    DestroyWindow(form_);
    DestroyWindow(application_);
}

void TDMDForm::TrayIcon1DblClick() {
    ShowWindow(form_, SW_SHOW);
    SetForegroundWindow(form_);
}

void TDMDForm::close() {
    if (!FormCloseQuery()) return;
    FormClose();
    // The main form closing ends the program.
    RequestTermination();
}

bool TDMDForm::FormCloseQuery() {
    const bool canClose = sessionEnding_;
    resetServerGuarded();
    RequestTermination();
    return canClose;
}

void TDMDForm::FormClose() { resetServerGuarded(); }

LRESULT TDMDForm::queryEndSession() {
    sessionEnding_ = true;
    // The close query now answers true: this program never objects.
    const bool canClose = FormCloseQuery();
    if (server_.startedByAutomation()) resetServerGuarded();
    RequestTermination();
    return canClose ? TRUE : FALSE;
}

void TDMDForm::endSession(WPARAM wParam, LPARAM lParam) {
    sessionEnding_ = wParam != 0;
    if (wParam != 0) trayIcon_->remove();
    DefWindowProcW(form_, WM_ENDSESSION, wParam, lParam);
    if (server_.startedByAutomation()) resetServerGuarded();
    // Also when the end of the session was cancelled: once asked, we end.
    RequestTermination();
}

void TDMDForm::resetServerGuarded() {
    try {
        server_.reset();
    } catch (...) {
        // A failed reset leaves no server at all (the old one is gone first):
        // the termination check then has nothing to keep and does not ask.
    }
}

void TDMDForm::RequestTermination() {
    if (!server_.mayTerminate()) return;
    PostQuitMessage(0);
}

LRESULT TDMDForm::formMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (trayIcon_ && trayIcon_->handleMessage(message, wParam, lParam)) return 0;
    switch (message) {
        case WM_CLOSE:
            close();
            return 0;
        case WM_QUERYENDSESSION:
            return queryEndSession();
        case WM_ENDSESSION:
            endSession(wParam, lParam);
            return 0;
        default:
            return DefWindowProcW(form_, message, wParam, lParam);
    }
}

LRESULT TDMDForm::applicationMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            close();
            return 0;
        case WM_ENDSESSION:
            // The session really ends: no return to the message loop.
            if (wParam != 0) {
                RequestTermination();
                ExitProcess(0);
            }
            return 0;
        default:
            return DefWindowProcW(application_, message, wParam, lParam);
    }
}

LRESULT CALLBACK TDMDForm::formProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TDMDForm* self = ownerOf<TDMDForm>(window, message, lParam);
    if (self == nullptr || self->form_ != window) return DefWindowProcW(window, message, wParam, lParam);
    // No exception may cross the system's callback.
    try {
        return self->formMessage(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

LRESULT CALLBACK TDMDForm::applicationProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TDMDForm* self = ownerOf<TDMDForm>(window, message, lParam);
    if (self == nullptr || self->application_ != window) return DefWindowProcW(window, message, wParam, lParam);
    // No exception may cross the system's callback.
    try {
        return self->applicationMessage(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

}  // namespace zelk::control
