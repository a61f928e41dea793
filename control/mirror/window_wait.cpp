#include "control/mirror/window_wait.h"

namespace zelk::control {

std::unique_ptr<CapturedWindow> waitForWindow(WindowCapture& windows, MainThreadWait& wait,
                                              const std::string& title) {
    const uint64_t start = wait.steadyMilliseconds();
    for (;;) {
        wait.sleep(kWindowLookIntervalMs);
        std::unique_ptr<CapturedWindow> found = windows.findWindow(title);
        wait.pumpMessages();
        if (found) return found;
        if (wait.steadyMilliseconds() - start > kWindowWaitMs) return nullptr;
    }
}

}  // namespace zelk::control
