#pragma once
// A Timer that never fires by itself: whoever holds it decides when a tick
// happens (the tests, and "zelkdmd play", which ticks a fixed number of times).
#include "control/timing/timer.h"

namespace zelk::control {

class ManualTimer final : public Timer {
public:
    explicit ManualTimer(uint32_t intervalMs) : interval_(intervalMs) {}

    bool enabled() const override { return enabled_; }
    void setEnabled(bool on) override { enabled_ = on; }
    uint32_t interval() const override { return interval_; }
    void setInterval(uint32_t milliseconds) override {
        if (milliseconds == interval_) return;
        interval_ = milliseconds;
        if (enabled_) ++periodRestarts_;
    }

    // How often a running timer started its period anew through setInterval.
    int periodRestarts() const { return periodRestarts_; }

private:
    bool enabled_ = false;
    uint32_t interval_;
    int periodRestarts_ = 0;
};

}  // namespace zelk::control
