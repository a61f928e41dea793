#pragma once
// TrayIcon1 with PopupMenu1: the program's notification-area icon, its
// tooltip and its menu with the single item "close". The owner window passes
// its messages through handleMessage.
#include <windows.h>

#include <functional>

namespace zelk::control {

class TrayIcon {
public:
    struct Handlers {
        std::function<void()> doubleClick;  // TrayIcon1DblClick
        std::function<void()> closeItem;    // close1Click
    };

    // Adds the icon at once. menuForeground is the window brought to the
    // foreground before the menu opens (the application window).
    TrayIcon(HWND owner, HWND menuForeground, Handlers handlers);
    ~TrayIcon();  // removes the icon
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // True when the message was the icon's or its menu's.
    bool handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // At the real end of the session the icon leaves the notification area.
    void remove();

private:
    void add();
    void openMenu();

    HWND owner_;
    HWND menuForeground_;
    Handlers handlers_;
    HMENU menu_;
    HICON icon_;
    UINT taskbarCreated_;
    bool visible_ = true;  // until removed at the end of the session
};

}  // namespace zelk::control
