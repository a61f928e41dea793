#pragma once
// The early-bound client of ZelkDMDControl.DMD the automation tests share:
// the class registered by the program itself, an object through IDMD's
// table, and the copy of the program that serves it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/com_ptr.h"
#include "platform/win32/handles.h"
#include "program_under_test.h"
#include "zelk_dmd_control.h"

namespace program_under_test {

using zelk::platform::ComPtr;

inline const CLSID clsidDmd = {0x10610679, 0x3C2E, 0x437A, {0x82, 0xDC, 0x3C, 0x04, 0x0D, 0x12, 0xB2, 0x6A}};
inline const IID iidDmd = {0x637A8485, 0xC484, 0x4725, {0xB2, 0x37, 0x0F, 0x4F, 0x06, 0x84, 0x7A, 0x74}};

inline void registerClass(const std::wstring& folder = L"with_device") {
    ASSERT_EQ(start(folder, L"/regserver").exitCode(), 0u);
}

// The copy that serves the class: the one process with a TDMDForm.
inline Program servingCopy() {
    HWND form = nullptr;
    EXPECT_TRUE(waitUntil([&] {
        const auto forms = windowsOfClass(L"TDMDForm", 0, true);
        form = forms.empty() ? nullptr : forms.front();
        return form != nullptr;
    })) << "no copy serves the class";
    DWORD id = 0;
    GetWindowThreadProcessId(form, &id);
    return Program(KernelHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)), id);
}

struct Apartment {
    Apartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~Apartment() { CoUninitialize(); }
};

inline ComPtr<IDMD> createDmd() {
    ComPtr<IDMD> dmd;
    EXPECT_EQ(CoCreateInstance(clsidDmd, nullptr, CLSCTX_LOCAL_SERVER, iidDmd, dmd.receiveVoid()), S_OK);
    return dmd;
}

// What DMDOpen leaves in the device's record.
inline const std::string openRecord = "Open\nPM_GameSettings  3 " + std::string(76 * 2, '0') + "\n";

}  // namespace program_under_test
