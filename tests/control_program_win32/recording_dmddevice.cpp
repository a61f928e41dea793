// A DMD device library that records, for the control program's tests, its
// loading and every call with every frame, one line each, in
// "dmddevice_record.txt" beside itself: the program runs in a process of its
// own, so the record goes through a file.
#include <windows.h>

#include <cstdio>
#include <string>

#include "dmddevice.h"

namespace {

std::wstring recordPath;

void record(const std::string& line) {
    FILE* file = _wfopen(recordPath.c_str(), L"ab");
    if (file == nullptr) return;
    std::fputs((line + "\n").c_str(), file);
    std::fclose(file);
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

// The options record follows as hex digits of its bytes.
void PM_GameSettings(const char* gameName, uint64_t hardwareGeneration, const tPMoptions* options) {
    std::string line = "PM_GameSettings " + std::string(gameName ? gameName : "<null>") + " " +
                       std::to_string(hardwareGeneration) + " ";
    const auto* bytes = reinterpret_cast<const unsigned char*>(options);
    for (size_t i = 0; options != nullptr && i < sizeof(tPMoptions); ++i) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        line += digits;
    }
    record(line);
}

// The whole frame, as hex digits of its bytes.
void Render_RGB24(uint16_t width, uint16_t height, const rgb24* frame) {
    std::string line = "Render_RGB24 " + std::to_string(width) + " " + std::to_string(height) + " ";
    const auto* bytes = reinterpret_cast<const unsigned char*>(frame);
    for (size_t i = 0; i < static_cast<size_t>(width) * height * 3; ++i) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        line += digits;
    }
    record(line);
}

}  // extern "C"
