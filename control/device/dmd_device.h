#pragma once
// The four entry points of "dmddevice" that the control program calls: a
// device library loaded by path, or a recording fake in tests.
#include <cstdint>
#include <memory>
#include <string>

namespace zelk::control {

class DmdDevice {
public:
    virtual ~DmdDevice() = default;
    virtual void Open() = 0;
    // gameName is a zero-terminated 8-bit string; options points at 76 bytes.
    virtual void PM_GameSettings(const char* gameName, uint64_t hardwareGeneration,
                                 const void* options) = 0;
    // frame: width * height * 3 bytes, red, green, blue, rows from the top.
    virtual void Render_RGB24(uint16_t width, uint16_t height, const uint8_t* frame) = 0;
    virtual void Close() = 0;
};

// Loads the DMD device library at path (UTF-8; dlopen on POSIX, LoadLibraryW
// on Windows) and binds Open, PM_GameSettings, Render_RGB24 and Close by name.
// Throws zelk::Error ("EDeviceLibrary") naming the file, and the missing
// entry point, when the library cannot be loaded or lacks one of the four.
// The library stays loaded as long as the returned device lives.
std::unique_ptr<DmdDevice> loadDmdDevice(const std::string& path);

}  // namespace zelk::control
