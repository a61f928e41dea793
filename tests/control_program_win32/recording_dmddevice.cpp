// A DMD device library that records its loading and every call with all its
// arguments and every frame, one line each (dmddevice_call_lines.h), in
// "dmddevice_record.txt" beside itself: the host runs in a process of its
// own or calls through another library, so the record goes through a file.
// Built with three export sets, as drivers in the field have them: the
// classic eleven entry points (the default), STAND_IN_RAW adds the shaded
// calls with raw bitplanes, STAND_IN_ALL every newer call too.
#include <windows.h>

#include <cstdio>
#include <string>

#include "dmddevice_call_lines.h"

namespace {

using dmddevice_calls::Bytes;
using dmddevice_calls::callLine;

std::wstring recordPath;

void record(const std::string& line) {
    FILE* file = _wfopen(recordPath.c_str(), L"ab");
    if (file == nullptr) return;
    std::fputs((line + "\n").c_str(), file);
    std::fclose(file);
}

Bytes dots(uint16_t width, uint16_t height, const void* frame, size_t bytesPerDot) {
    return {frame, size_t{width} * height * bytesPerDot};
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH * 4];
        const DWORD length = GetModuleFileNameW(module, path, MAX_PATH * 4);
        recordPath.assign(path, length);
        recordPath = recordPath.substr(0, recordPath.find_last_of(L'\\') + 1) + L"dmddevice_record.txt";
        record("loaded");
    }
    return TRUE;
}

extern "C" {

bool Open() {
    record("Open");
    return true;
}

bool Close() {
    record("Close");
    return true;
}

void SetGameName(const char* name, int length) { record(callLine("SetGameName", name, length)); }

void PM_GameSettings(const char* gameName, uint64_t hardwareGeneration, const tPMoptions* options) {
    record(callLine("PM_GameSettings", gameName, hardwareGeneration, Bytes{options, sizeof(tPMoptions)}));
}

void Render_RGB24(uint16_t width, uint16_t height, const rgb24* frame) {
    record(callLine("Render_RGB24", width, height, dots(width, height, frame, 3)));
}

void Set_4_Colors_Palette(rgb24 color0, rgb24 color33, rgb24 color66, rgb24 color100) {
    record(callLine("Set_4_Colors_Palette", color0, color33, color66, color100));
}

void Set_16_Colors_Palette(const rgb24* colors) {
    record(callLine("Set_16_Colors_Palette", Bytes{colors, 16 * sizeof(rgb24)}));
}

void Render_4_Shades(uint16_t width, uint16_t height, const uint8_t* frame) {
    record(callLine("Render_4_Shades", width, height, dots(width, height, frame, 1)));
}

void Render_16_Shades(uint16_t width, uint16_t height, const uint8_t* frame) {
    record(callLine("Render_16_Shades", width, height, dots(width, height, frame, 1)));
}

// PinMAME's segment buffers hold 128 values each.
void Render_PM_Alphanumeric_Frame(layout_t layout, const uint16_t* segData, const uint16_t* segData2) {
    record(callLine("Render_PM_Alphanumeric_Frame", layout, Bytes{segData, 256}, Bytes{segData2, 256}));
}

void Console_Data(uint8_t data) { record(callLine("Console_Data", data)); }

}  // extern "C"

#if defined(STAND_IN_RAW) || defined(STAND_IN_ALL)
extern "C" {

void Render_4_Shades_with_Raw(uint16_t width, uint16_t height, const uint8_t* frame, uint32_t rawCount,
                              const uint8_t* raw) {
    record(callLine("Render_4_Shades_with_Raw", width, height, dots(width, height, frame, 1), rawCount,
                    Bytes{raw, rawCount * dots(width, height, frame, 1).size / 8}));
}

void Render_16_Shades_with_Raw(uint16_t width, uint16_t height, const uint8_t* frame, uint32_t rawCount,
                               const uint8_t* raw) {
    record(callLine("Render_16_Shades_with_Raw", width, height, dots(width, height, frame, 1), rawCount,
                    Bytes{raw, rawCount * dots(width, height, frame, 1).size / 8}));
}

}  // extern "C"
#endif

#ifdef STAND_IN_ALL
extern "C" {

// Reads from the host's console hook, so that the record shows whose it is.
int Console_Input_Ptr(DmdConsoleRead read) {
    uint8_t typed[8] = {};
    const int count = read != nullptr ? read(typed, sizeof typed) : -1;
    record(callLine("Console_Input_Ptr", count, Bytes{typed, sizeof typed}));
    return 0;
}

void Render_Lum_And_Raw(uint16_t width, uint16_t height, const uint8_t* lum, const uint8_t* ident, uint32_t rawCount,
                        const uint8_t* raw) {
    const Bytes frame = dots(width, height, lum, 1);
    record(callLine("Render_Lum_And_Raw", width, height, frame, Bytes{ident, frame.size}, rawCount,
                    Bytes{raw, rawCount * frame.size / 8}));
}

void Render_PM_Alphanumeric_Dim_Frame(layout_t layout, const uint16_t* segData, const char* dim,
                                      const uint16_t* segData2) {
    record(callLine("Render_PM_Alphanumeric_Dim_Frame", layout, Bytes{segData, 256}, Bytes{dim, 128},
                    Bytes{segData2, 256}));
}

void Render_FloatLum_And_Raw(uint16_t width, uint16_t height, const float* lum, const uint8_t* ident,
                             uint8_t identBits) {
    record(callLine("Render_FloatLum_And_Raw", width, height, dots(width, height, lum, sizeof(float)),
                    dots(width, height, ident, 1), identBits));
}

}  // extern "C"
#endif
