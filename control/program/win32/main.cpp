// ZelkDMDControl: the tray program and automation server that puts pictures,
// animations and copies of the front-end's windows on the DMD. The program
// body: start-up in its fixed order, then the message loop.
#include <windows.h>
#include <objbase.h>

#include <memory>

#include "control/program/dmd_controller.h"
#include "control/media/file_system.h"
#include "control/media/halftone.h"
#include "control/program/win32/automation/automation_server.h"
#include "control/program/win32/dmd_form.h"
#include "control/program/win32/start_up.h"
#include "control/mirror/window_capture.h"
#include "control/media/still_picture.h"
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

// The form, its timers and the controller that they and the automation
// objects drive; destroyed in reverse, the controller first.
int serve(DmdDevice& device, AutomationServer& server) {
    DmdController* controller = nullptr;  // the timers stay off until it exists
    TDMDForm form(device, server,
                  TDMDForm::TimerSteps{[&controller] { controller->GiFTimerTimer(); },
                                       [&controller] { controller->capTimerTimer(); }});
    const std::unique_ptr<FileSystem> files = makeFileSystem();
    const std::unique_ptr<StillPictureDecoder> pictures = makeStillPictureDecoder();
    const std::unique_ptr<WindowCapture> windows = makeWindowCapture();
    const std::unique_ptr<MainThreadWait> wait = makeMainThreadWait();
    DmdController program(ControllerServices{device, *files, *pictures, form.GiFTimer(), form.capTimer(), *windows,
                                             *wait, platformHalftonePalette(), [&server] { server.reset(); },
                                             [&form] { form.RequestTermination(); }});
    controller = &program;
    server.serve(program);
    return runMessageLoop();
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
    return serve(*device, *server);
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
