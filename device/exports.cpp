// The eleven exported entry points of the DMD device interface, each handed
// to the plug-in's single driver. Nothing thrown inside ever reaches the host.
#define ZELK_BUILDING_DMDDEVICE
#include "dmddevice.h"

#include "device/dmd_driver.h"
#include "device/platform.h"

namespace zelk::device {

DmdDriver& pluginDriver() {
    // A function-local static: created at the first call, destroyed when the
    // library is unloaded (after which it writes nothing).
    static DmdDriver driver(hostPlatform());
    return driver;
}

}  // namespace zelk::device

using zelk::device::pluginDriver;

namespace {

// The driver's methods catch everything; only the driver's creation at the
// first call could throw here.
template <typename Call>
void callDriver(const Call& call) noexcept {
    try {
        call(pluginDriver());
    } catch (...) {
    }
}

}  // namespace

extern "C" {

DMDDEV_API bool DMDDEV_CALL Open(void) {
    try {
        return pluginDriver().Open();
    } catch (...) {
        return true;  // only the driver's creation could fail; Open always reports success
    }
}

DMDDEV_API bool DMDDEV_CALL Close(void) {
    try {
        return pluginDriver().Close();
    } catch (...) {
        return true;
    }
}

DMDDEV_API void DMDDEV_CALL SetGameName(const char* name, int length) {
    try {
        pluginDriver().SetGameName(name, length);
    } catch (...) {
    }
}

DMDDEV_API void DMDDEV_CALL Render_RGB24(uint16_t width, uint16_t height, const rgb24* frame) {
    try {
        pluginDriver().Render_RGB24(width, height, reinterpret_cast<const uint8_t*>(frame));
    } catch (...) {
    }
}

DMDDEV_API void DMDDEV_CALL PM_GameSettings(const char* gameName, uint64_t hardwareGeneration,
                                            const tPMoptions* options) {
    callDriver([&](auto& driver) { driver.PM_GameSettings(gameName, hardwareGeneration, options); });
}

DMDDEV_API void DMDDEV_CALL Set_4_Colors_Palette(rgb24 color0, rgb24 color33, rgb24 color66, rgb24 color100) {
    callDriver([&](auto& driver) { driver.Set_4_Colors_Palette(color0, color33, color66, color100); });
}

DMDDEV_API void DMDDEV_CALL Set_16_Colors_Palette(const rgb24* colors) {
    callDriver([&](auto& driver) { driver.Set_16_Colors_Palette(colors); });
}

DMDDEV_API void DMDDEV_CALL Render_4_Shades(uint16_t width, uint16_t height, const uint8_t* frame) {
    callDriver([&](auto& driver) { driver.Render_4_Shades(width, height, frame); });
}

DMDDEV_API void DMDDEV_CALL Render_16_Shades(uint16_t width, uint16_t height, const uint8_t* frame) {
    callDriver([&](auto& driver) { driver.Render_16_Shades(width, height, frame); });
}

DMDDEV_API void DMDDEV_CALL Render_PM_Alphanumeric_Frame(layout_t layout, const uint16_t* segData,
                                                         const uint16_t* segData2) {
    callDriver([&](auto& driver) { driver.Render_PM_Alphanumeric_Frame(layout, segData, segData2); });
}

DMDDEV_API void DMDDEV_CALL Console_Data(uint8_t data) { callDriver([&](auto& driver) { driver.Console_Data(data); }); }

}  // extern "C"
