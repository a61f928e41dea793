// The DMD device library loaded by path with LoadLibraryW, its four entry
// points bound with GetProcAddress.
#include <windows.h>

#include <string>

#include "control/dmd_device.h"
#include "core/error.h"
#include "dmddevice.h"
#include "platform/win32/error_text.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace zelk::control {
namespace {

Error libraryError(const std::string& text) { return Error("EDeviceLibrary", text); }

class DeviceLibrary final : public DmdDevice {
public:
    explicit DeviceLibrary(const std::string& path);
    DeviceLibrary(const DeviceLibrary&) = delete;
    DeviceLibrary& operator=(const DeviceLibrary&) = delete;

    // The results of Open and Close are not examined: a failing device goes unnoticed.
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
        const FARPROC entry = GetProcAddress(module_.get(), name);
        if (entry == nullptr)
            throw libraryError("DMD device library \"" + path_ + "\" lacks the entry point \"" + name + "\"");
        // GetProcAddress returns every entry point under one function type.
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(entry));
    }

    std::string path_;
    platform::LibraryModule module_;
    decltype(&::Open) open_ = nullptr;
    decltype(&::PM_GameSettings) gameSettings_ = nullptr;
    decltype(&::Render_RGB24) render_ = nullptr;
    decltype(&::Close) close_ = nullptr;
};

DeviceLibrary::DeviceLibrary(const std::string& path)
    : path_(path), module_(LoadLibraryW(platform::utf8ToWide(path).c_str())) {
    if (!module_.valid()) {
        throw libraryError("cannot load DMD device library \"" + path + "\": " +
                           platform::errorText(GetLastError()));
    }
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
