// A DMD device library loaded by path with dlopen: the POSIX stand-in for the
// "dmddevice" library of the Windows program.
#include <dlfcn.h>

#include <memory>
#include <string>

#include "control/dmd_device.h"
#include "core/error.h"
#include "dmddevice.h"

namespace zelk::control {
namespace {

std::string lastDlError() {
    const char* message = dlerror();
    return message != nullptr ? message : "unknown reason";
}

// Scoped owner of a dlopen handle. (The platform layer has no owner for
// loaded libraries yet; this one belongs in platform/posix when another user
// appears.)
struct LibraryCloser {
    void operator()(void* handle) const { dlclose(handle); }
};
using LibraryHandle = std::unique_ptr<void, LibraryCloser>;

class DeviceLibrary final : public DmdDevice {
public:
    explicit DeviceLibrary(const std::string& path);
    DeviceLibrary(const DeviceLibrary&) = delete;
    DeviceLibrary& operator=(const DeviceLibrary&) = delete;

    // The results of Open and Close are not examined: a failing device goes
    // unnoticed, as with the linked library on Windows.
    void Open() override { open_(); }
    void PM_GameSettings(const char* gameName, uint64_t hardwareGeneration, const void* options) override {
        gameSettings_(gameName, hardwareGeneration, static_cast<const tPMoptions*>(options));
    }
    void Render_RGB24(uint16_t width, uint16_t height, const uint8_t* frame) override {
        render_(width, height, reinterpret_cast<const rgb24*>(frame));
    }
    void Close() override { close_(); }

private:
    template <typename Fn>
    Fn bind(const char* name) {
        dlerror();  // clear a stale message
        void* symbol = dlsym(handle_.get(), name);
        if (symbol == nullptr)
            throw Error("EDeviceLibrary",
                        "DMD device library \"" + path_ + "\" lacks the entry point \"" + name + "\"");
        // dlsym hands out data pointers; POSIX guarantees the conversion.
        return reinterpret_cast<Fn>(symbol);
    }

    std::string path_;
    LibraryHandle handle_;
    decltype(&::Open) open_ = nullptr;
    decltype(&::PM_GameSettings) gameSettings_ = nullptr;
    decltype(&::Render_RGB24) render_ = nullptr;
    decltype(&::Close) close_ = nullptr;
};

DeviceLibrary::DeviceLibrary(const std::string& path)
    : path_(path), handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_)
        throw Error("EDeviceLibrary", "cannot load DMD device library \"" + path + "\": " + lastDlError());
    open_ = bind<decltype(open_)>("Open");
    gameSettings_ = bind<decltype(gameSettings_)>("PM_GameSettings");
    render_ = bind<decltype(render_)>("Render_RGB24");
    close_ = bind<decltype(close_)>("Close");
}

}  // namespace

std::unique_ptr<DmdDevice> loadDmdDevice(const std::string& path) {
    return std::make_unique<DeviceLibrary>(path);
}

}  // namespace zelk::control
