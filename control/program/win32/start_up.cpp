#include "control/program/win32/start_up.h"

#include <windows.h>

#include "core/error.h"
#include "platform/win32/error_text.h"
#include "platform/win32/module_path.h"
#include "platform/path_kind.h"
#include "platform/win32/text.h"

namespace zelk::control {
namespace {

// No namespace prefix: one copy per logon session, not per machine. The
// name is what earlier copies used; it must not change.
constexpr wchar_t sessionMutexName[] = L"3CFCC47G-F4E0-4ff9-33E7-23367E522BA3";

}  // namespace

std::unique_ptr<DmdDevice> loadProgramDevice() {
    const std::string folder = platform::folderOf(platform::modulePath(nullptr));
#ifdef _WIN64
    const std::string preferred = folder + "dmddevice64.dll";
    if (platform::pathKind(preferred) == platform::PathKind::file) return loadDmdDevice(preferred);
#endif
    return loadDmdDevice(folder + "dmddevice.dll");
}

bool claimSession() {
    // The handle is kept for the life of the process on purpose.
    const HANDLE mutex = CreateMutexW(nullptr, TRUE, sessionMutexName);
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        if (error == 0) throw Error("EOSError", "A call to an OS function failed");
        throw Error("EOSError", "System Error.  Code: " + std::to_string(error) + ".\r\n" +
                                    platform::systemMessage(error));
    }
    return error != ERROR_ALREADY_EXISTS;
}

int reportStartFailure(const std::string& message) {
    MessageBoxW(nullptr, platform::utf8ToWide(message).c_str(), L"ZelkDMDControl",
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return 1;
}

}  // namespace zelk::control
