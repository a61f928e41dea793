// A DMD device library for the "zelkdmd play --device" tests: appends one line
// per call to the file named by ZELK_PLAY_DEVICE_LOG, so the test can read
// what the tool sent after the tool has ended.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "dmddevice.h"

namespace {

void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

void logLine(const char* format, ...) {
    const char* path = std::getenv("ZELK_PLAY_DEVICE_LOG");
    if (path == nullptr) return;
    std::FILE* file = std::fopen(path, "a");
    if (file == nullptr) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(file, format, args);
    va_end(args);
    std::fputc('\n', file);
    std::fclose(file);
}

}  // namespace

extern "C" {

bool Open() {
    logLine("Open");
    return true;
}

bool Close() {
    logLine("Close");
    return true;
}

void PM_GameSettings(const char* gameName, uint64_t hardwareGeneration, const tPMoptions* options) {
    int nonZero = 0;
    for (int value : options->values) nonZero += value != 0;
    logLine("PM_GameSettings '%s' %llu %s", gameName, static_cast<unsigned long long>(hardwareGeneration),
            nonZero == 0 ? "zeroed" : "dirty");
}

void Render_RGB24(uint16_t width, uint16_t height, const rgb24* frame) {
    logLine("Render_RGB24 %u %u %u.%u.%u", static_cast<unsigned>(width), static_cast<unsigned>(height),
            frame[0].red, frame[0].green, frame[0].blue);
}

}  // extern "C"
