// Timers of the calling thread without a message loop: each keeps its next
// due time, and serveTimers sleeps until the earliest one and runs it. A
// thread-local list, so timers of different threads never meet, as on Windows.
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "control/timing/timer.h"

namespace zelk::control {
namespace {

using Clock = std::chrono::steady_clock;

class PosixTimer;
thread_local std::vector<PosixTimer*> runningTimers;

class PosixTimer final : public Timer {
public:
    PosixTimer(uint32_t intervalMs, std::function<void()> onTick)
        : interval_(intervalMs), onTick_(std::move(onTick)) {}
    ~PosixTimer() override { setEnabled(false); }
    PosixTimer(const PosixTimer&) = delete;
    PosixTimer& operator=(const PosixTimer&) = delete;

    bool enabled() const override { return enabled_; }
    void setEnabled(bool on) override {
        if (on == enabled_) return;
        enabled_ = on;
        if (on) {
            restartPeriod();
            runningTimers.push_back(this);
        } else {
            runningTimers.erase(std::find(runningTimers.begin(), runningTimers.end(), this));
        }
    }
    uint32_t interval() const override { return interval_; }
    void setInterval(uint32_t milliseconds) override {
        if (milliseconds == interval_) return;
        interval_ = milliseconds;
        if (enabled_) restartPeriod();
    }

    Clock::time_point due() const { return due_; }
    void tick() {
        restartPeriod();
        try {
            if (onTick_) onTick_();
        } catch (...) {
        }
    }

private:
    // An interval of 0 ticks as often as the loop comes round, at most once a millisecond.
    void restartPeriod() { due_ = Clock::now() + std::chrono::milliseconds(std::max<uint32_t>(interval_, 1)); }

    bool enabled_ = false;
    uint32_t interval_;
    Clock::time_point due_{};
    std::function<void()> onTick_;
};

PosixTimer* earliestTimer() {
    const auto earliest = std::min_element(runningTimers.begin(), runningTimers.end(),
                                           [](PosixTimer* a, PosixTimer* b) { return a->due() < b->due(); });
    return earliest == runningTimers.end() ? nullptr : *earliest;
}

}  // namespace

std::unique_ptr<Timer> makeTimer(uint32_t intervalMs, std::function<void()> onTick) {
    return std::make_unique<PosixTimer>(intervalMs, std::move(onTick));
}

void serveTimers(uint32_t milliseconds) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        PosixTimer* next = earliestTimer();
        if (next == nullptr || next->due() > end) break;
        std::this_thread::sleep_until(next->due());
        next->tick();  // may switch or destroy other timers: found again next round
    }
    std::this_thread::sleep_until(end);
}

}  // namespace zelk::control
