#pragma once
// A DMD device library loaded by path with dlopen: the POSIX stand-in for the
// "dmddevice" library the Windows program links against.
#include <string>

#include "control/dmd_device.h"
#include "dmddevice.h"

namespace zelk::control {

class DeviceLibrary final : public DmdDevice {
public:
    // Loads the library and resolves Open, PM_GameSettings, Render_RGB24 and
    // Close by name. Throws zelk::Error naming the library (and the missing
    // entry point) when it cannot be loaded or lacks one of them.
    explicit DeviceLibrary(const std::string& path);
    ~DeviceLibrary() override;
    DeviceLibrary(const DeviceLibrary&) = delete;
    DeviceLibrary& operator=(const DeviceLibrary&) = delete;

    void Open() override;
    void PM_GameSettings(const char* gameName, uint64_t hardwareGeneration,
                         const void* options) override;
    void Render_RGB24(uint16_t width, uint16_t height, const uint8_t* frame) override;
    void Close() override;

    const std::string& path() const noexcept { return path_; }

private:
    using OpenFn = bool (*)();
    using CloseFn = bool (*)();
    using GameSettingsFn = void (*)(const char*, uint64_t, const tPMoptions*);
    using RenderFn = void (*)(uint16_t, uint16_t, const rgb24*);

    void* resolve(const char* name);

    std::string path_;
    void* handle_ = nullptr;
    OpenFn open_ = nullptr;
    GameSettingsFn gameSettings_ = nullptr;
    RenderFn render_ = nullptr;
    CloseFn close_ = nullptr;
};

}  // namespace zelk::control
