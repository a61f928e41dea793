#pragma once
// TDMDForm: the hidden main form with its tray icon and its two timers, the
// program's hidden application window that owns it, and every road to the
// end of the program.
#include <windows.h>

#include <functional>
#include <memory>

#include "control/device/dmd_device.h"
#include "control/program/win32/automation/automation_server.h"
#include "control/program/win32/tray_icon.h"
#include "control/timing/timer.h"

namespace zelk::control {

class TDMDForm {
public:
    // What the timers' ticks run: the animation step (GiFTimer) and the
    // mirroring step (capTimer) of the controller.
    struct TimerSteps {
        std::function<void()> gifTimerTick;
        std::function<void()> capTimerTick;
    };

    // Creates both windows, hidden, and adds the tray icon; both timers off.
    // Throws zelk::Error when a window cannot be made.
    TDMDForm(DmdDevice& device, AutomationServer& server, TimerSteps steps);
    ~TDMDForm();
    TDMDForm(const TDMDForm&) = delete;
    TDMDForm& operator=(const TDMDForm&) = delete;

    Timer& GiFTimer() { return *gifTimer_; }
    Timer& capTimer() { return *capTimer_; }

    // The form's close operation (the close box, WM_CLOSE, close1Click).
    void close();

    // Asks the message loop to quit, once the server's check lets it; the
    // controller's CloseAndQuit (DMDClose) ends here too.
    void RequestTermination();

private:
    static LRESULT CALLBACK formProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK applicationProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT formMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT applicationMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void close1Click() { close(); }
    void TrayIcon1DblClick();
    bool FormCloseQuery();
    void FormClose();
    LRESULT queryEndSession();
    void endSession(WPARAM wParam, LPARAM lParam);
    void resetServerGuarded();

    DmdDevice& device_;
    AutomationServer& server_;
    bool sessionEnding_ = false;
    HWND application_ = nullptr;
    HWND form_ = nullptr;
    std::unique_ptr<TrayIcon> trayIcon_;
    std::unique_ptr<Timer> gifTimer_;
    std::unique_ptr<Timer> capTimer_;
};

}  // namespace zelk::control
