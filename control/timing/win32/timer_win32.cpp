// Thread timers (SetTimer without a window): their WM_TIMER messages are
// dispatched by the thread's message loop to the tick handler, one at a time
// with everything else the loop serves.
#include <windows.h>

#include <map>

#include "control/timing/timer.h"
#include "platform/win32/messages.h"

namespace zelk::control {
namespace {

class Win32Timer;

// Thread timers carry no user data: the procedure finds its timer by id.
// All timers live on the main thread, so the map needs no lock.
std::map<UINT_PTR, Win32Timer*>& timersById() {
    static std::map<UINT_PTR, Win32Timer*> timers;
    return timers;
}

class Win32Timer final : public Timer {
public:
    Win32Timer(uint32_t intervalMs, std::function<void()> onTick)
        : interval_(intervalMs), onTick_(std::move(onTick)) {}
    ~Win32Timer() override { stop(); }
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

    bool enabled() const override { return enabled_; }
    void setEnabled(bool on) override;
    uint32_t interval() const override { return interval_; }
    void setInterval(uint32_t milliseconds) override;

    void tick();

private:
    void start();
    void stop();

    bool enabled_ = false;
    uint32_t interval_;
    UINT_PTR timerId_ = 0;
    std::function<void()> onTick_;
};

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
    const auto found = timersById().find(id);
    if (found != timersById().end()) found->second->tick();
}

void Win32Timer::setEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    if (on) {
        start();
    } else {
        stop();
    }
}

void Win32Timer::setInterval(uint32_t milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    // A running timer starts its period anew with the new interval.
    if (enabled_) {
        stop();
        start();
    }
}

void Win32Timer::start() {
    const UINT_PTR id = SetTimer(nullptr, 0, interval_ == 0 ? USER_TIMER_MINIMUM : interval_, onTimer);
    if (id == 0) {
        enabled_ = false;  // no timer could be had: it stays off
        return;
    }
    timerId_ = id;
    timersById()[id] = this;
}

void Win32Timer::stop() {
    if (timerId_ == 0) return;
    KillTimer(nullptr, timerId_);
    timersById().erase(timerId_);
    timerId_ = 0;
}

void Win32Timer::tick() {
    // Exceptions must not cross the system's callback.
    try {
        if (enabled_ && onTick_) onTick_();
    } catch (...) {
    }
}

}  // namespace

std::unique_ptr<Timer> makeTimer(uint32_t intervalMs, std::function<void()> onTick) {
    return std::make_unique<Win32Timer>(intervalMs, std::move(onTick));
}

void serveTimers(uint32_t milliseconds) { platform::serveMessagesFor(milliseconds); }

}  // namespace zelk::control
