#pragma once
// The four entry points of "dmddevice" that the control program calls. On
// Windows this is the linked dmddevice library; on POSIX a library loaded by
// path; in tests a recording fake.
#include <cstdint>

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

}  // namespace zelk::control
