#pragma once
// Mirroring of the front-end's windows onto the DMD: on every capTimer tick
// the window "QAVSCREEN1" is reduced to 128x32, the window "QAVOVERLAY1",
// reduced the same way, is laid over it with its bottom-left colour
// transparent, and the result goes to SendFrameToDmd.
//
// Capture size: every tick reads each window whole, at its own current size,
// and reduces it with the exact area average (core/area_average.h). The two
// windows need not be of the same size, and a window that is resized is
// mirrored whole from the next tick on. For the front-end's two windows of one
// unchanging size this is the same as fixing one capture size at the start.
#include <memory>
#include <optional>

#include "control/device/dmd_device.h"
#include "control/timing/timer.h"
#include "control/mirror/window_capture.h"
#include "core/area_average.h"
#include "core/bitmap24.h"

namespace zelk::control {

inline constexpr const char* kMirrorWindowTitle = "QAVSCREEN1";
inline constexpr const char* kOverlayWindowTitle = "QAVOVERLAY1";

class ScreenMirror {
public:
    // capTimer's ticks must call capTimerTimer.
    ScreenMirror(WindowCapture& windows, MainThreadWait& wait, Timer& capTimer, DmdDevice& device);

    // Each waits a little over 4 seconds at most for its window, serving the
    // main thread's messages, and changes nothing when it finds none.
    // StartScreenMirror then mirrors the found window and switches capTimer
    // on; StartOverlayMirror attaches the overlay but never touches capTimer.
    void StartScreenMirror();
    void StartOverlayMirror();
    // capTimer off, both windows let go; the DMD keeps the last frame.
    void StopMirror() noexcept;
    // Reads, reduces, lays the overlay over and sends one frame. A window that
    // cannot be read leaves its picture as it was: the mirror sends its last
    // picture again, a missing overlay simply covers nothing.
    void capTimerTimer() noexcept;

private:

    WindowCapture& windows_;
    MainThreadWait& wait_;
    Timer& capTimer_;
    DmdDevice& device_;
    std::unique_ptr<CapturedWindow> mirrorWindow_;
    std::unique_ptr<CapturedWindow> overlayWindow_;
    // Created by the first successful StartScreenMirror and kept: a failed
    // read sends the previous picture again.
    std::optional<Bitmap24> mirrorBitmap_;
    Bitmap24 overlayBitmap_;
    // One for each window, which may differ in size: a tick allocates nothing.
    AreaAverager mirrorAverage_, overlayAverage_;
};

}  // namespace zelk::control
