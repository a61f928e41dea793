// PLACEHOLDER (see window_capture_placeholder.h): finds no window, so
// mirroring starts and sends nothing; the wait serves messages like the
// real one will.
#include "control/program_win32/window_capture_placeholder.h"

#include <windows.h>

namespace zelk::control {
namespace {

class NoWindowCapture final : public WindowCapture {
public:
    std::unique_ptr<CapturedWindow> findWindow(const std::string&) override { return nullptr; }
};

class MessageLoopWait final : public MainThreadWait {
public:
    uint64_t steadyMilliseconds() override { return GetTickCount64(); }
    void sleep(uint32_t milliseconds) override { Sleep(milliseconds); }
    void pumpMessages() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
};

}  // namespace

std::unique_ptr<WindowCapture> makeWindowCapture() { return std::make_unique<NoWindowCapture>(); }
std::unique_ptr<MainThreadWait> makeMainThreadWait() { return std::make_unique<MessageLoopWait>(); }

}  // namespace zelk::control
