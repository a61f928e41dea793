// The DMD device library loaded by path with LoadLibraryW, its four entry
// points bound with GetProcAddress.
#include <windows.h>

#include <string>

#include "control/device_library.h"
#include "core/error.h"
#include "platform/win32/error_text.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace zelk::control {
namespace {

class DeviceLibrary final : public BoundDeviceLibrary {
public:
    explicit DeviceLibrary(const std::string& path) : module_(LoadLibraryW(platform::utf8ToWide(path).c_str())) {
        if (!module_.valid()) {
            throw Error("EDeviceLibrary", "cannot load DMD device library \"" + path + "\": " +
                                              platform::errorText(GetLastError()));
        }
        // GetProcAddress hands every entry point out under one function type.
        bindEntryPoints(path, [&](const char* name) {
            return reinterpret_cast<EntryPoint>(GetProcAddress(module_.get(), name));
        });
    }

private:
    platform::LibraryModule module_;
};

}  // namespace

std::unique_ptr<DmdDevice> loadDmdDevice(const std::string& path) {
    return std::make_unique<DeviceLibrary>(path);
}

}  // namespace zelk::control
