// The DMD device library loaded by path (platform/loaded_library.h), its four
// entry points bound by name.
#include "control/device/device_library.h"

#include <memory>

#include "core/error.h"
#include "platform/loaded_library.h"

namespace zelk::control {
namespace {

platform::LoadedLibrary& loadLibrary(std::unique_ptr<platform::LoadedLibrary>& owner, const std::string& path) {
    try {
        owner = std::make_unique<platform::LoadedLibrary>(path);
    } catch (const Error& failure) {
        throw Error("EDeviceLibrary", "cannot load DMD device library \"" + path + "\": " + failure.what());
    }
    return *owner;
}

class DeviceLibrary final : public BoundDeviceLibrary {
public:
    explicit DeviceLibrary(const std::string& path) {
        platform::LoadedLibrary& library = loadLibrary(library_, path);
        bindEntryPoints(path, [&](const char* name) { return library.lookUp(name); });
    }

private:
    std::unique_ptr<platform::LoadedLibrary> library_;
};

}  // namespace

void BoundDeviceLibrary::bindEntryPoints(const std::string& path,
                                         const std::function<EntryPoint(const char*)>& lookUp) {
    entries_.bind(lookUp);
    for (const DmdEntry entry : {DmdEntry::Open, DmdEntry::PM_GameSettings, DmdEntry::Render_RGB24, DmdEntry::Close}) {
        if (!entries_.has(entry))
            throw Error("EDeviceLibrary", "DMD device library \"" + path + "\" lacks the entry point \"" +
                                              dmdEntryName(entry) + "\"");
    }
}

std::unique_ptr<DmdDevice> loadDmdDevice(const std::string& path) { return std::make_unique<DeviceLibrary>(path); }

}  // namespace zelk::control
