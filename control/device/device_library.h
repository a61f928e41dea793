#pragma once
// A loaded DMD device library (loaded through platform/loaded_library.h):
// the four entry points the program uses, bound by name and called through
// their pointers.
#include <functional>
#include <string>

#include "control/device/dmd_device.h"
#include "dmddevice_table.h"

namespace zelk::control {

class BoundDeviceLibrary : public DmdDevice {
public:
    // The results of Open and Close are not examined: a failing device goes
    // unnoticed, as with a library linked at load time.
    void Open() override { entries_.Open(); }
    void PM_GameSettings(const char* gameName, uint64_t hardwareGeneration, const void* options) override {
        entries_.PM_GameSettings(gameName, hardwareGeneration, static_cast<const tPMoptions*>(options));
    }
    void Render_RGB24(uint16_t width, uint16_t height, const uint8_t* frame) override {
        entries_.Render_RGB24(width, height, reinterpret_cast<const rgb24*>(frame));
    }
    void Close() override { entries_.Close(); }

protected:
    // Any entry point, as the system's look-up hands it out.
    using EntryPoint = void (*)();

    // Binds Open, PM_GameSettings, Render_RGB24 and Close through lookUp,
    // which gives null for a name the library lacks. Throws zelk::Error
    // ("EDeviceLibrary") naming the file and the first missing entry point.
    void bindEntryPoints(const std::string& path, const std::function<EntryPoint(const char*)>& lookUp);

private:
    DmdDeviceTable entries_;
};

}  // namespace zelk::control
