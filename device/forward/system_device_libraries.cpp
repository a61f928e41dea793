// The plug-in's forward library, loaded by the system's loader through the
// platform layer (the same on every system).
#include <memory>
#include <vector>

#include "device/forward/device_forward.h"
#include "platform/loaded_library.h"

namespace zelk::device {
namespace {

// An address inside the plug-in: a library that contains it is the plug-in
// itself, whatever file name it was loaded under.
const char kInThisPlugin = 0;

class SystemDeviceLibraries final : public DeviceLibraries {
public:
    Loaded loadForGood(const std::string& path) noexcept override {
        Loaded result;
        try {
            auto library = std::make_unique<platform::LoadedLibrary>(path);
            if (library->contains(&kInThisPlugin)) {
                result.isThisPlugin = true;  // calling it would call ourselves forever
                return result;
            }
            if (!hasAnyEntryPoint(*library)) {
                result.failure = "it has none of the DMD device entry points";
                return result;
            }
            library->keepLoaded();
            const platform::LoadedLibrary* kept = library.get();
            kept_.push_back(std::move(library));
            result.lookUp = [kept](const char* name) { return kept->lookUp(name); };
        } catch (const std::exception& failure) {
            result.failure = failure.what();
        }
        return result;
    }

private:
    static bool hasAnyEntryPoint(const platform::LoadedLibrary& library) {
        for (const char* name : kDmdEntryNames) {
            if (library.lookUp(name) != nullptr) return true;
        }
        return false;
    }

    // Kept loaded (keepLoaded), so their going at unload frees nothing.
    std::vector<std::unique_ptr<platform::LoadedLibrary>> kept_;
};

}  // namespace

DeviceLibraries& systemDeviceLibraries() {
    static SystemDeviceLibraries libraries;
    return libraries;
}

}  // namespace zelk::device
