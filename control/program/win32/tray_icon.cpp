#include "control/program/win32/tray_icon.h"

#include <shellapi.h>

#include "platform/win32/messages.h"

namespace zelk::control {
namespace {

constexpr UINT iconId = 1;
constexpr UINT iconMessage = WM_APP + 1;
constexpr UINT closeCommand = 1;

NOTIFYICONDATAW iconData(HWND owner) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = iconId;
    return data;
}

}  // namespace

TrayIcon::TrayIcon(HWND owner, HWND menuForeground, Handlers handlers)
    : owner_(owner),
      menuForeground_(menuForeground),
      handlers_(std::move(handlers)),
      menu_(CreatePopupMenu()),
      // No icon of its own: the program's main icon, at the small size.
      icon_(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON,
                                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0))),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    AppendMenuW(menu_, MF_STRING, closeCommand, L"close");
    add();
}

TrayIcon::~TrayIcon() {
    remove();
    DestroyMenu(menu_);
    if (icon_ != nullptr) DestroyIcon(icon_);
}

void TrayIcon::add() {
    NOTIFYICONDATAW data = iconData(owner_);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = iconMessage;
    data.hIcon = icon_;
    lstrcpynW(data.szTip, L"Vantor Corvex DMDDevice", ARRAYSIZE(data.szTip));
    // Refused while the shell is not up yet (a start at logon): the shell
    // announces itself with "TaskbarCreated" once it is.
    Shell_NotifyIconW(NIM_ADD, &data);
}

void TrayIcon::remove() {
    if (!visible_) return;
    NOTIFYICONDATAW data = iconData(owner_);
    Shell_NotifyIconW(NIM_DELETE, &data);
    visible_ = false;
}

void TrayIcon::openMenu() {
    SetForegroundWindow(menuForeground_);
    // The messages queued before the menu opens are served first, so that the
    // menu does not steal them.
    platform::serveWaitingMessages();
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu_, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner_, nullptr);
}

bool TrayIcon::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        // The shell was (re)started: a visible icon comes back.
        if (visible_) add();
        return true;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == 0 && LOWORD(wParam) == closeCommand) {
        if (handlers_.closeItem) handlers_.closeItem();
        return true;
    }
    if (message != iconMessage) return false;
    switch (LOWORD(lParam)) {
        case WM_RBUTTONUP:
            openMenu();
            break;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            if (handlers_.doubleClick) handlers_.doubleClick();
            break;
        default:
            break;
    }
    return true;
}

}  // namespace zelk::control
