// A DMD device library loaded by path with dlopen: the POSIX stand-in for the
// "dmddevice" library of the Windows program.
#include <dlfcn.h>

#include <memory>
#include <string>

#include "control/device_library.h"
#include "core/error.h"

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

class DeviceLibrary final : public BoundDeviceLibrary {
public:
    explicit DeviceLibrary(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (!handle_)
            throw Error("EDeviceLibrary", "cannot load DMD device library \"" + path + "\": " + lastDlError());
        // dlsym hands out data pointers; POSIX guarantees the conversion.
        bindEntryPoints(path, [&](const char* name) {
            return reinterpret_cast<EntryPoint>(dlsym(handle_.get(), name));
        });
    }

private:
    LibraryHandle handle_;
};

}  // namespace

std::unique_ptr<DmdDevice> loadDmdDevice(const std::string& path) {
    return std::make_unique<DeviceLibrary>(path);
}

}  // namespace zelk::control
