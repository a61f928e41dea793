#include "control/timing/frame_rate.h"

namespace zelk::control {

namespace {
constexpr int32_t kMaxFramesPerSecond = 30;
}

std::optional<uint32_t> frameRateInterval(int32_t ncount) {
    if (ncount <= 0) return std::nullopt;
    const int32_t n = ncount > kMaxFramesPerSecond ? kMaxFramesPerSecond : ncount;
    return static_cast<uint32_t>(1000 / n);
}

void SetFrameRate(int32_t ncount, Timer& gifTimer, Timer& capTimer) {
    const std::optional<uint32_t> interval = frameRateInterval(ncount);
    if (!interval) return;
    gifTimer.setInterval(*interval);
    capTimer.setInterval(*interval);
}

}  // namespace zelk::control
