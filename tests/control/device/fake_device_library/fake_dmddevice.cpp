// A DMD device library for the loader tests: exports the four entry points the
// control program calls (and Render_16_Shades) and keeps a text log of every
// call, unsynchronised as many drivers are, which the tests read through
// FakeDmd_Log. Built a second time with FAKE_DMD_WITHOUT_RENDER
// to stand for a library that lacks an entry point.
#include <cstdio>
#include <string>

#include "dmddevice.h"

namespace {

std::string& callLog() {
    static std::string log;
    return log;
}

void append(const char* text) { callLog() += text; }

}  // namespace

extern "C" {

DMDDEV_API const char* FakeDmd_Log() { return callLog().c_str(); }
DMDDEV_API void FakeDmd_Reset() { callLog().clear(); }

bool Open() {
    append("Open;");
    return true;
}

bool Close() {
    append("Close;");
    return true;
}

void PM_GameSettings(const char* gameName, uint64_t hardwareGeneration, const tPMoptions* options) {
    int nonZero = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(options);
    for (size_t i = 0; options != nullptr && i < sizeof(tPMoptions); ++i) nonZero += bytes[i] != 0;
    char line[200];
    std::snprintf(line, sizeof line, "PM_GameSettings('%s',%llu,%s);", gameName ? gameName : "<null>",
                  static_cast<unsigned long long>(hardwareGeneration),
                  options == nullptr ? "null" : nonZero == 0 ? "zeroed" : "dirty");
    append(line);
}

void Render_16_Shades(uint16_t, uint16_t, const uint8_t*) { append("Render_16_Shades;"); }

#ifndef FAKE_DMD_WITHOUT_RENDER
void Render_RGB24(uint16_t width, uint16_t height, const rgb24* frame) {
    const rgb24 first = frame[0];
    const rgb24 last = frame[static_cast<size_t>(width) * height - 1];
    char line[200];
    std::snprintf(line, sizeof line, "Render_RGB24(%u,%u,first=%u.%u.%u,last=%u.%u.%u);",
                  static_cast<unsigned>(width), static_cast<unsigned>(height), first.red,
                  first.green, first.blue, last.red, last.green, last.blue);
    append(line);
}
#endif

}  // extern "C"
