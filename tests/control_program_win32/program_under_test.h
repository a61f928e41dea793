#pragma once
// ZelkDMDControl.exe as the tests see it from outside: copies started from
// the folders beside the test program, their windows, their tray icons and
// the record of the device library beside them.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/bounded_read.h"
#include "platform/win32/handles.h"
#include "platform/win32/messages.h"
#include "platform/win32/text.h"

namespace program_under_test {

using zelk::platform::KernelHandle;

inline std::wstring besideThisProgram(const std::wstring& name) {
    wchar_t path[MAX_PATH * 4];
    const std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH * 4));
    return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

struct Program {
    KernelHandle process;
    DWORD id = 0;

    Program() = default;
    Program(KernelHandle handle, DWORD processId) : process(std::move(handle)), id(processId) {}
    Program(Program&&) = default;
    // A test that failed half-way leaves no copy running behind it.
    ~Program() {
        if (process.valid() && exitCode(0) == STILL_ACTIVE) TerminateProcess(process.get(), 99);
    }

    // Waits for the end; the exit status, or STILL_ACTIVE when it runs on.
    DWORD exitCode(DWORD waitMs = 10000) const {
        WaitForSingleObject(process.get(), waitMs);
        DWORD code = 0;
        GetExitCodeProcess(process.get(), &code);
        return code;
    }
};

// arguments: the command line after the program's quoted path.
inline Program start(const std::wstring& folder, const std::wstring& arguments = L"") {
    std::wstring commandLine =
        L"\"" + besideThisProgram(folder + L"\\ZelkDMDControl.exe") + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start the program in " << std::string(folder.begin(), folder.end());
        return {};
    }
    CloseHandle(info.hThread);
    return Program(KernelHandle(info.hProcess), info.dwProcessId);
}

// Waits serving this thread's messages: windows of the test stay painted and
// answer while the program reads them.
inline void serveMessages(DWORD ms) { zelk::platform::serveMessagesFor(ms); }

inline bool waitUntil(const std::function<bool()>& done, DWORD ms = 10000) {
    for (const ULONGLONG end = GetTickCount64() + ms; GetTickCount64() < end; serveMessages(50)) {
        if (done()) return true;
    }
    return done();
}

// Top-level windows of a class, visible ones unless asked otherwise; of one
// process when processId is not 0. (Window callbacks are plain CALLBACK
// functions: a lambda does not convert to one in the 32-bit build.)
struct WindowSearch {
    const wchar_t* className;
    DWORD processId;
    bool hiddenToo;
    std::vector<HWND> found;
};

inline BOOL CALLBACK collectOfClass(HWND window, LPARAM context) {
    auto& s = *reinterpret_cast<WindowSearch*>(context);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (lstrcmpW(name, s.className) == 0 && (s.hiddenToo || IsWindowVisible(window)) &&
        (s.processId == 0 || owner == s.processId)) {
        s.found.push_back(window);
    }
    return TRUE;
}

inline std::vector<HWND> windowsOfClass(const wchar_t* className, DWORD processId = 0, bool hiddenToo = false) {
    WindowSearch search{className, processId, hiddenToo, {}};
    EnumWindows(collectOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Under Xvfb each notification icon is a small window of this class: a
// top-level one where an X tray runs, else a child of Wine's own tray window.
inline std::vector<HWND> trayIcons() {
    WindowSearch search{L"__winex11_tray_icon", 0, false, {}};
    EnumWindows(collectOfClass, reinterpret_cast<LPARAM>(&search));
    for (HWND tray : windowsOfClass(L"__winex11_standalone_tray")) {
        EnumChildWindows(tray, collectOfClass, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

inline std::string recordOfDevice(const std::wstring& folder = L"with_device") {
    const auto bytes = zelk::platform::readWholeFile(
        zelk::platform::wideToUtf8(besideThisProgram(folder + L"\\dmddevice_record.txt")), 1 << 20);
    return {bytes.begin(), bytes.end()};
}

}  // namespace program_under_test
