#pragma once
// A periodic timer of the main thread: a thread timer (SetTimer without a
// window) whose WM_TIMER messages the thread's message loop dispatches to the
// tick handler, one at a time with everything else the loop serves.
#include <functional>

#include "control/timer.h"

namespace zelk::control {

class Win32Timer final : public Timer {
public:
    Win32Timer(uint32_t intervalMs, std::function<void()> onTick)
        : interval_(intervalMs), onTick_(std::move(onTick)) {}
    ~Win32Timer() override;
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    bool enabled() const override { return enabled_; }
    void setEnabled(bool on) override;
    uint32_t interval() const override { return interval_; }
    void setInterval(uint32_t milliseconds) override;

    // Called from the timer procedure; public for it only.
    void tick();

private:
    void start();
    void stop();

    bool enabled_ = false;
    uint32_t interval_;
    uintptr_t timerId_ = 0;
    std::function<void()> onTick_;
};

}  // namespace zelk::control
