#include "control/posix/device_library_posix.h"

#include <dlfcn.h>

#include "core/error.h"

namespace zelk::control {

namespace {

std::string lastDlError() {
    const char* message = dlerror();
    return message != nullptr ? message : "unknown reason";
}

template <typename Fn>
Fn asFunction(void* symbol) {
    // dlsym hands out data pointers; POSIX guarantees the conversion.
    return reinterpret_cast<Fn>(symbol);
}

}  // namespace

DeviceLibrary::DeviceLibrary(const std::string& path) : path_(path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr)
        throw Error("EDeviceLibrary",
                    "cannot load DMD device library \"" + path + "\": " + lastDlError());
    try {
        open_ = asFunction<OpenFn>(resolve("Open"));
        gameSettings_ = asFunction<GameSettingsFn>(resolve("PM_GameSettings"));
        render_ = asFunction<RenderFn>(resolve("Render_RGB24"));
        close_ = asFunction<CloseFn>(resolve("Close"));
    } catch (...) {
        dlclose(handle_);
        throw;
    }
}

DeviceLibrary::~DeviceLibrary() { dlclose(handle_); }

void* DeviceLibrary::resolve(const char* name) {
    dlerror();  // clear a stale message
    void* symbol = dlsym(handle_, name);
    if (symbol == nullptr)
        throw Error("EDeviceLibrary", "DMD device library \"" + path_ +
                                          "\" lacks the entry point \"" + name + "\"");
    return symbol;
}

// The results of Open and Close are not examined: a failing device goes
// unnoticed, as with the linked library on Windows.
void DeviceLibrary::Open() { open_(); }

void DeviceLibrary::PM_GameSettings(const char* gameName, uint64_t hardwareGeneration,
                                    const void* options) {
    gameSettings_(gameName, hardwareGeneration, static_cast<const tPMoptions*>(options));
}

void DeviceLibrary::Render_RGB24(uint16_t width, uint16_t height, const uint8_t* frame) {
    render_(width, height, reinterpret_cast<const rgb24*>(frame));
}

void DeviceLibrary::Close() { close_(); }

}  // namespace zelk::control
