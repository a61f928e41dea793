#include "control/program/dmd_controller.h"

#include "control/output/dmd_output.h"
#include "control/timing/frame_rate.h"

namespace zelk::control {

namespace {

void guarded(const std::function<void()>& step) noexcept {
    try {
        if (step) step();
    } catch (...) {
        // Ending the program must not stop half-way.
    }
}

}  // namespace

DmdController::DmdController(const ControllerServices& services)
    : services_(services),
      media_({services.files, services.pictures, services.gifTimer, services.device, services.halftonePalette}),
      mirror_(services.windows, services.wait, services.capTimer, services.device) {}

void DmdController::DMDOpen() { OpenDmdDevice(services_.device); }

// A device that fails to close must not keep the class announced while the
// program ends, so every step has its own guard.
void DmdController::DMDClose() noexcept {
    guarded([this] { services_.device.Close(); });
    guarded(services_.resetAutomationServer);
    guarded(services_.requestTermination);
}

void DmdController::DMDPlay(const std::string& sfile) { media_.PlayMediaFile(sfile); }

void DmdController::DMDStartMirror() { mirror_.StartScreenMirror(); }

void DmdController::DMDTextMirror() { mirror_.StartOverlayMirror(); }

void DmdController::DMDStopMirror() noexcept { mirror_.StopMirror(); }

void DmdController::DMDSetFPS(int32_t ncount) { SetFrameRate(ncount, services_.gifTimer, services_.capTimer); }

void DmdController::DMDDelayOpen(int32_t) noexcept {}

}  // namespace zelk::control
