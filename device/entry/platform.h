#pragma once
// The plug-in's view of its operating system: one small interface per
// service, with a POSIX and a Win32 implementation chosen by the build, and
// recording fakes in the tests. Text crosses these interfaces as UTF-8.
#include "device/entry/clock_and_text.h"
#include "device/forward/device_forward.h"
#include "device/entry/files.h"
#include "device/player/player_link.h"
#include "device/preview/preview_window.h"
#include "device/entry/settings.h"

namespace zelk::device {

// The services the plug-in's core works with; each may be replaced on its own.
struct Platform {
    Files& files;
    ClockAndText& clockAndText;
    Settings& settings;
    PlayerLink& playerLink;
    PreviewWindows& previewWindows;
    // FORWARD's loader; null where the plug-in's core runs without one (the
    // tools, most tests).
    DeviceLibraries* deviceLibraries = nullptr;
};

// The services of the system the shared library runs on (defined in posix/
// or win32/).
Platform hostPlatform();

}  // namespace zelk::device
