// ZelkDMDControl: the tray program and automation server that puts pictures,
// animations and copies of the front-end's windows on the DMD. The program
// body: start-up in its fixed order, then the message loop.
#include <windows.h>
#include <objbase.h>

#include <memory>

#include "control/program_win32/automation_server.h"
#include "control/program_win32/dmd_form.h"
#include "control/program_win32/start_up.h"
#include "core/error.h"
#include "platform/win32/error_text.h"

namespace zelk::control {
namespace {

int runMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

int run() {
    // Bound before the body runs, as a library linked at load time would
    // be; a missing one now gets a message naming it.
    const std::unique_ptr<DmdDevice> device = loadProgramDevice();
    const std::unique_ptr<AutomationServer> server = makeAutomationServer();
    // Another copy in this session: leave without a trace.
    if (!claimSession()) return 0;
    const HRESULT apartment = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(apartment)) platform::throwHresult(apartment);
    if (!server->initialise()) return 0;
    // Playback and mirroring fill the timers' steps; until then the timers
    // have nothing to do and nothing switches them on.
    TDMDForm form(*device, *server, TDMDForm::TimerSteps{});
    return runMessageLoop();
}

}  // namespace
}  // namespace zelk::control

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        return zelk::control::run();
    } catch (const std::exception& e) {
        return zelk::control::reportStartFailure(e.what());
    }
}
