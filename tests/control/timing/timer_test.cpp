// The platform's timers, run by serveTimers: they tick while on, take a new
// period while running, stop when switched off, and swallow a failing tick.
// Built into the POSIX tests and, under Wine, into the Windows tests.
#include <gtest/gtest.h>

#include <stdexcept>

#include "control/timing/timer.h"

namespace zelk::control {
namespace {

TEST(PlatformTimer, TicksWhileOnAndNotAfter) {
    int ticks = 0;
    const std::unique_ptr<Timer> timer = makeTimer(10, [&] {
        ++ticks;
        throw std::runtime_error("a failing tick must not end the loop");
    });
    EXPECT_FALSE(timer->enabled());
    serveTimers(30);
    EXPECT_EQ(ticks, 0);  // created off

    timer->setEnabled(true);
    timer->setInterval(15);  // a running timer takes the new period
    EXPECT_TRUE(timer->enabled());
    EXPECT_EQ(timer->interval(), 15u);
    for (int waited = 0; ticks < 3 && waited < 5000; waited += 50) serveTimers(50);
    EXPECT_GE(ticks, 3);

    timer->setEnabled(false);
    const int stopped = ticks;
    serveTimers(100);
    EXPECT_EQ(ticks, stopped);
}

}  // namespace
}  // namespace zelk::control
