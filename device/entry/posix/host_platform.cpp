// The services of the plug-in on Linux and other POSIX systems. There is no
// preview window here: frames are still taken in and matched.
#include "device/entry/platform.h"
#include "device/entry/posix/clock_and_text.h"
#include "device/entry/posix/files.h"
#include "device/player/posix/player_link.h"
#include "device/entry/posix/settings.h"

namespace zelk::device {
namespace {

class NoPreviewWindows : public PreviewWindows {
public:
    std::unique_ptr<PreviewWindow> create(FrameBitmapSource, DragEndSink) override { return nullptr; }
};

}  // namespace

Platform hostPlatform() {
    static PosixFiles files;
    static PosixClockAndText clockAndText;
    static PosixSettings settings;
    static PosixPlayerLink playerLink(files);
    static NoPreviewWindows previewWindows;
    return {files, clockAndText, settings, playerLink, previewWindows, &systemDeviceLibraries()};
}

}  // namespace zelk::device
