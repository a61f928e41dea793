// The eleven exported entry points of the DMD device interface. The four
// active ones forward to the plug-in's single driver; the other seven accept
// any call and do nothing. Nothing thrown inside ever reaches the host.
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

DMDDEV_API void DMDDEV_CALL PM_GameSettings(const char*, uint64_t, const tPMoptions*) {}
DMDDEV_API void DMDDEV_CALL Set_4_Colors_Palette(rgb24, rgb24, rgb24, rgb24) {}
DMDDEV_API void DMDDEV_CALL Set_16_Colors_Palette(const rgb24*) {}
DMDDEV_API void DMDDEV_CALL Render_4_Shades(uint16_t, uint16_t, const uint8_t*) {}
DMDDEV_API void DMDDEV_CALL Render_16_Shades(uint16_t, uint16_t, const uint8_t*) {}
DMDDEV_API void DMDDEV_CALL Render_PM_Alphanumeric_Frame(layout_t, const uint16_t*, const uint16_t*) {}
DMDDEV_API void DMDDEV_CALL Console_Data(uint8_t) {}

}  // extern "C"
