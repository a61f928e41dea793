#include "control/win32/win32_timer.h"

#include <windows.h>

#include <map>

namespace zelk::control {
namespace {

// Thread timers carry no user data: the procedure finds its timer by id.
// All timers live on the main thread, so the map needs no lock.
std::map<UINT_PTR, Win32Timer*>& timersById() {
    static std::map<UINT_PTR, Win32Timer*> timers;
    return timers;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
    const auto found = timersById().find(id);
    if (found != timersById().end()) found->second->tick();
}

}  // namespace

Win32Timer::~Win32Timer() { stop(); }

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

}  // namespace zelk::control
