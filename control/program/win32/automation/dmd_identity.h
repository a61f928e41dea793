#pragma once
// The identity of the automation class as clients know it. The interface
// IDMD itself is declared by the header compiled from zelk_dmd_control.idl.
#include <windows.h>

#include "zelk_dmd_control.h"

namespace zelk::control {

// {10610679-3C2E-437A-82DC-3C040D12B26A}
constexpr CLSID clsidDmd = {0x10610679, 0x3C2E, 0x437A, {0x82, 0xDC, 0x3C, 0x04, 0x0D, 0x12, 0xB2, 0x6A}};
// {5049E487-2802-46B0-A511-8B198B274E1B}
constexpr GUID libidZelkDmdControl = {0x5049E487, 0x2802, 0x46B0, {0xA5, 0x11, 0x8B, 0x19, 0x8B, 0x27, 0x4E, 0x1B}};
// {637A8485-C484-4725-B237-0F4F06847A74}
constexpr IID iidDmd = {0x637A8485, 0xC484, 0x4725, {0xB2, 0x37, 0x0F, 0x4F, 0x06, 0x84, 0x7A, 0x74}};

constexpr wchar_t dmdProgId[] = L"ZelkDMDControl.DMD";

}  // namespace zelk::control
