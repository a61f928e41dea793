#pragma once
// The window wait shared by the two mirror starts: look for the window every
// 20 ms for a little over 4 seconds, serving the main thread's messages after
// every look so that timer ticks and automation calls go on meanwhile.
#include <cstdint>
#include <memory>
#include <string>

#include "control/mirror/window_capture.h"

namespace zelk::control {

inline constexpr uint32_t kWindowLookIntervalMs = 20;
inline constexpr uint64_t kWindowWaitMs = 4000;

// The first look comes one interval after the start; the wait gives up after
// the first look that finds nothing once more than kWindowWaitMs have passed.
// The clock is a steady one, so a change of the wall clock (daylight saving,
// a time sync) neither cuts the wait short nor stretches it.
std::unique_ptr<CapturedWindow> waitForWindow(WindowCapture& windows, MainThreadWait& wait,
                                              const std::string& title);

}  // namespace zelk::control
