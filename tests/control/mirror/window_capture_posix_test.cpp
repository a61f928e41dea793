// The POSIX stand-ins of the mirroring's services: no windows to find, and a
// wait whose clock moves with its sleeps.
#include <gtest/gtest.h>

#include "control/mirror/screen_mirror.h"
#include "control/mirror/window_capture.h"

namespace zelk::control {
namespace {

TEST(WindowCapturePosix, FindsNoWindowAndWaitsOnASteadyClock) {
    EXPECT_EQ(makeWindowCapture()->findWindow(kMirrorWindowTitle), nullptr);
    const std::unique_ptr<MainThreadWait> wait = makeMainThreadWait();
    const uint64_t start = wait->steadyMilliseconds();
    wait->sleep(20);
    wait->pumpMessages();
    EXPECT_GE(wait->steadyMilliseconds() - start, 20u);
}

}  // namespace
}  // namespace zelk::control
