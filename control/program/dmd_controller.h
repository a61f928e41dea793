#pragma once
// The control program's state and its eight automation methods, free of COM:
// the DMD device, the media player with GiFTimer, the screen mirror with
// capTimer. The automation object is a thin adapter over it (text from BSTR,
// the call, a raised zelk::Error or other exception to error information),
// and the main form routes its two timers' ticks here. Everything runs on the
// main thread, one call at a time.
#include <functional>

#include "control/device/dmd_device.h"
#include "control/media/file_system.h"
#include "control/media/media_player.h"
#include "control/mirror/screen_mirror.h"
#include "control/media/still_picture.h"
#include "control/timing/timer.h"
#include "control/mirror/window_capture.h"
#include "core/palette_entry.h"

namespace zelk::control {

struct ControllerServices {
    DmdDevice& device;
    FileSystem& files;
    StillPictureDecoder& pictures;
    Timer& gifTimer;  // its ticks must call DmdController::GiFTimerTimer
    Timer& capTimer;  // its ticks must call DmdController::capTimerTimer
    WindowCapture& windows;
    MainThreadWait& wait;
    Palette256 halftonePalette;  // platformHalftonePalette() (control/media/halftone.h)
    // The program shell's two steps that end the program: withdraw the
    // automation class, and ask the message loop to quit.
    std::function<void()> resetAutomationServer;
    std::function<void()> requestTermination;
};

class DmdController {
public:
    explicit DmdController(const ControllerServices& services);

    // OpenDmdDevice; a failure of the device reaches the caller.
    void DMDOpen();
    // CloseAndQuit: closes the device, withdraws the class, requests the
    // program's end. Never raises; each step runs even when one before failed.
    void DMDClose() noexcept;
    // PlayMediaFile; raises only when a GIF animation cannot be started.
    void DMDPlay(const std::string& sfile);
    void DMDStartMirror();  // StartScreenMirror
    void DMDTextMirror();   // StartOverlayMirror
    void DMDStopMirror() noexcept;  // StopMirror
    // SetFrameRate for both timers; 0 and negative rates change nothing.
    void DMDSetFPS(int32_t ncount);
    // Kept for old clients: accepts any value and does nothing.
    void DMDDelayOpen(int32_t sTimeMS) noexcept;

    void GiFTimerTimer() noexcept { media_.GiFTimerTimer(); }
    void capTimerTimer() noexcept { mirror_.capTimerTimer(); }

private:
    ControllerServices services_;
    MediaPlayer media_;
    ScreenMirror mirror_;
};

}  // namespace zelk::control
