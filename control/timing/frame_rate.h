#pragma once
// SetFrameRate, behind DMDSetFPS: one rate for both frame timers, the GIF
// animation's GiFTimer and the mirroring's capTimer.
#include <cstdint>
#include <optional>

#include "control/timing/timer.h"

namespace zelk::control {

// The tick interval for a rate in frames per second: 1000 / n truncated, the
// rate capped at 30. None for 0 and for a negative rate, which would give no
// usable interval and is therefore ignored.
std::optional<uint32_t> frameRateInterval(int32_t ncount);

// Sets both timers to frameRateInterval(ncount); without an interval both stay as they are.
void SetFrameRate(int32_t ncount, Timer& gifTimer, Timer& capTimer);

}  // namespace zelk::control
