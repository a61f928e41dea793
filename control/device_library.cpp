#include "control/device_library.h"

#include "core/error.h"

namespace zelk::control {

void BoundDeviceLibrary::bindEntryPoints(const std::string& path,
                                         const std::function<EntryPoint(const char*)>& lookUp) {
    const auto bind = [&]<typename Fn>(Fn& target, const char* name) {
        const EntryPoint entry = lookUp(name);
        if (entry == nullptr)
            throw Error("EDeviceLibrary",
                        "DMD device library \"" + path + "\" lacks the entry point \"" + name + "\"");
        // The library's export has this type; the look-up only hid it.
        target = reinterpret_cast<Fn>(entry);
    };
    bind(open_, "Open");
    bind(gameSettings_, "PM_GameSettings");
    bind(render_, "Render_RGB24");
    bind(close_, "Close");
}

}  // namespace zelk::control
