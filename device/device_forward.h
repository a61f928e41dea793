#pragma once
// FORWARD=<file>: a DMD device library that gets every call the host makes,
// with exactly the host's arguments, before the plug-in does its own work.
// A cabinet with DMD hardware keeps its real driver this way: the driver is
// renamed, the plug-in takes its name, and the driver still sees every frame.
//
// The library is loaded at the first Open that names one and stays loaded for
// the rest of the process (the host may call at any time until it exits, so
// it is never freed, least of all while the plug-in unloads). An entry point
// the library lacks is skipped on its own.
#include <functional>
#include <string>

#include "dmddevice.h"

namespace zelk::device {

// How the plug-in loads its forward library; the tools and tests that run the
// plug-in's core have none.
class DeviceLibraries {
public:
    using EntryPoint = void (*)();
    using LookUp = std::function<EntryPoint(const char*)>;

    struct Loaded {
        // Empty when loaded; else why not (the system's reason, or that the
        // library is this plug-in itself).
        std::string failure;
        bool isThisPlugin = false;
        LookUp lookUp;  // entry points by name, null for a missing one
    };

    virtual ~DeviceLibraries() = default;
    // Loads the library at path (UTF-8) for good, unless it is this plug-in
    // itself or has none of the eleven entry points. Never throws.
    virtual Loaded loadForGood(const std::string& path) noexcept = 0;
};

// The system's loader, for the plug-in itself (system_device_libraries.cpp).
DeviceLibraries& systemDeviceLibraries();

class DeviceForward {
public:
    // At Open: begins forwarding to the library at path unless forwarding
    // already. Returns the log line to write; empty when there is nothing to
    // say (no path and no forwarding).
    std::string attach(DeviceLibraries* libraries, const std::string& path);

    // The eleven calls, passed on when forwarding and the library has them.
    void Open() const;
    void Close() const;
    void SetGameName(const char* name, int length) const;
    void Render_RGB24(uint16_t width, uint16_t height, const rgb24* frame) const;
    void PM_GameSettings(const char* gameName, uint64_t hardwareGeneration, const tPMoptions* options) const;
    void Set_4_Colors_Palette(rgb24 color0, rgb24 color33, rgb24 color66, rgb24 color100) const;
    void Set_16_Colors_Palette(const rgb24* colors) const;
    void Render_4_Shades(uint16_t width, uint16_t height, const uint8_t* frame) const;
    void Render_16_Shades(uint16_t width, uint16_t height, const uint8_t* frame) const;
    void Render_PM_Alphanumeric_Frame(layout_t layout, const uint16_t* segData, const uint16_t* segData2) const;
    void Console_Data(uint8_t data) const;

private:
    // A call that comes back to us through the chain (two plug-ins that
    // forward to each other) is not passed on again: the loop ends there.
    template <typename Fn, typename... Args>
    void pass(Fn entry, Args... args) const {
        if (entry == nullptr || passing_) return;
        struct Passing {
            bool& flag;
            explicit Passing(bool& f) : flag(f) { flag = true; }
            ~Passing() { flag = false; }
        } passing(passing_);
        entry(args...);
    }

    std::string path_;  // empty while not forwarding
    mutable bool passing_ = false;  // the host calls from one thread at a time
    decltype(&::Open) open_ = nullptr;
    decltype(&::Close) close_ = nullptr;
    decltype(&::SetGameName) setGameName_ = nullptr;
    decltype(&::Render_RGB24) renderRgb24_ = nullptr;
    decltype(&::PM_GameSettings) gameSettings_ = nullptr;
    decltype(&::Set_4_Colors_Palette) palette4_ = nullptr;
    decltype(&::Set_16_Colors_Palette) palette16_ = nullptr;
    decltype(&::Render_4_Shades) shades4_ = nullptr;
    decltype(&::Render_16_Shades) shades16_ = nullptr;
    decltype(&::Render_PM_Alphanumeric_Frame) alphanumeric_ = nullptr;
    decltype(&::Console_Data) consoleData_ = nullptr;
};

// The names of the eleven entry points, in the interface's order.
extern const char* const kDeviceEntryPointNames[11];

}  // namespace zelk::device
