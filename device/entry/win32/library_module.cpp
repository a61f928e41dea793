#include "device/entry/win32/library_module.h"

#include <atomic>

#include "platform/win32/module_path.h"

namespace zelk::device {
namespace {

std::atomic<bool> detaching{false};

// Any address inside this library identifies its module.
LPCWSTR addressInThisModule() { return reinterpret_cast<LPCWSTR>(&detaching); }

}  // namespace

HMODULE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       addressInThisModule(), &module);
    return module;
}

std::string thisModulePath() { return platform::modulePath(thisModule()); }

void pinThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       addressInThisModule(), &module);
}

bool libraryDetaching() { return detaching.load(); }

}  // namespace zelk::device

// Runs under the loader lock: it only sets a flag. The C runtime runs the
// static destructors after this returns, and they read the flag.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) zelk::device::detaching.store(true);
    return TRUE;
}
