// The services of the plug-in on Windows.
#include "device/entry/platform.h"
#include "device/entry/win32/clock_and_text.h"
#include "device/entry/win32/files.h"
#include "device/player/win32/player_link.h"
#include "device/preview/win32/preview_window.h"
#include "device/entry/win32/settings.h"

namespace zelk::device {

Platform hostPlatform() {
    static Win32Files files;
    static Win32ClockAndText clockAndText;
    static Win32Settings settings;
    static Win32PlayerLink playerLink;
    static Win32PreviewWindows previewWindows;
    return {files, clockAndText, settings, playerLink, previewWindows, &systemDeviceLibraries()};
}

}  // namespace zelk::device
