#pragma once
// FORWARD=<file>: a DMD device library that gets every call the host makes
// before the plug-in does its own work. A cabinet with DMD hardware keeps its
// real driver this way: the driver is renamed, the plug-in takes its name,
// and the driver still gets what the host would have sent it.
//
// A call reaches the driver's entry point of the same name, with exactly the
// host's arguments, when the driver has it. When it has not, the driver gets
// what a PinMAME host sends a driver without it: a luminance frame becomes
// the legacy frame (legacy_frame.h) in a shaded call, with or without raw
// bitplanes as the driver offers; a _with_Raw call becomes the plain one;
// the alphanumeric frame with dimmed segments becomes the plain one; the
// console input hook goes nowhere.
//
// The library is loaded at the first Open that names one and stays loaded for
// the rest of the process (the host may call at any time until it exits, so
// it is never freed, least of all while the plug-in unloads).
#include <functional>
#include <string>

#include "dmddevice_table.h"

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
    // itself or has none of the entry points. Never throws.
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

    bool forwarding() const { return !path_.empty(); }
    // Whether the driver has the entry point (never while not forwarding).
    bool has(DmdEntry entry) const { return driver_.has(entry); }

    // Passes a call on as the host made it when the driver has the entry
    // point: call(&DmdDeviceTable::Render_RGB24, width, height, frame).
    template <typename Entry, typename... Arguments>
    void call(Entry DmdDeviceTable::*entry, Arguments... arguments) const {
        if (driver_.*entry != nullptr) (driver_.*entry)(arguments...);
    }

    // The newer calls, for a driver with or without them. frame is the
    // legacy frame of a luminance call; sixteen whether it has 16 shades.
    int Console_Input_Ptr(DmdConsoleRead read) const;
    void Render_4_Shades_with_Raw(uint16_t width, uint16_t height, const uint8_t* frame, uint32_t rawCount,
                                  const uint8_t* raw) const;
    void Render_16_Shades_with_Raw(uint16_t width, uint16_t height, const uint8_t* frame, uint32_t rawCount,
                                   const uint8_t* raw) const;
    void Render_Lum_And_Raw(uint16_t width, uint16_t height, const uint8_t* lum, const uint8_t* ident,
                            uint32_t rawCount, const uint8_t* raw, const uint8_t* frame, bool sixteen) const;
    void Render_FloatLum_And_Raw(uint16_t width, uint16_t height, const float* lum, const uint8_t* ident,
                                 uint8_t identBits, const uint8_t* frame, bool sixteen) const;
    void Render_PM_Alphanumeric_Dim_Frame(layout_t layout, const uint16_t* segData, const char* dim,
                                          const uint16_t* segData2) const;

private:
    // A shaded frame as the host sends it to a driver without the luminance
    // calls: with raw bitplanes when there are some and the driver takes them.
    void shaded(uint16_t width, uint16_t height, const uint8_t* frame, bool sixteen, uint32_t rawCount,
                const uint8_t* raw) const;

    std::string path_;  // empty while not forwarding
    DmdDeviceTable driver_;
};

}  // namespace zelk::device
