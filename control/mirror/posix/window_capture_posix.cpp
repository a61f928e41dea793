// POSIX has no front-end windows to mirror: the look-up never finds one, and
// the wait only passes time on a steady clock, with no messages to serve.
#include <chrono>
#include <thread>

#include "control/mirror/window_capture.h"

namespace zelk::control {
namespace {

class NoWindowCapture final : public WindowCapture {
public:
    std::unique_ptr<CapturedWindow> findWindow(const std::string&) override { return nullptr; }
};

class SleepingWait final : public MainThreadWait {
public:
    uint64_t steadyMilliseconds() override {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }
    void sleep(uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    void pumpMessages() override {}
};

}  // namespace

std::unique_ptr<WindowCapture> makeWindowCapture() { return std::make_unique<NoWindowCapture>(); }

std::unique_ptr<MainThreadWait> makeMainThreadWait() { return std::make_unique<SleepingWait>(); }

}  // namespace zelk::control
