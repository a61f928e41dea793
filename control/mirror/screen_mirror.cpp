#include "control/mirror/screen_mirror.h"

#include <cstring>

#include "control/output/dmd_output.h"
#include "control/mirror/window_wait.h"

namespace zelk::control {

namespace {

bool readReduced(CapturedWindow& window, AreaAverager& average, Bitmap24& target) noexcept {
    try {
        BgraView pixels;
        if (!window.read(pixels)) return false;
        average(pixels, target);
        return true;
    } catch (...) {
        return false;  // a window of a size we cannot take counts as unreadable
    }
}

// Every overlay pixel that differs from its bottom-left pixel covers the mirror.
void layOver(const Bitmap24& overlay, Bitmap24& mirror) {
    const uint8_t* transparent = overlay.row(overlay.height - 1);
    for (size_t i = 0; i < overlay.pixels.size(); i += 3) {
        const uint8_t* pixel = overlay.pixels.data() + i;
        if (std::memcmp(pixel, transparent, 3) != 0) std::memcpy(mirror.pixels.data() + i, pixel, 3);
    }
}

}  // namespace

ScreenMirror::ScreenMirror(WindowCapture& windows, MainThreadWait& wait, Timer& capTimer, DmdDevice& device)
    : windows_(windows), wait_(wait), capTimer_(capTimer), device_(device),
      overlayBitmap_(kDmdWidth, kDmdHeight) {}

void ScreenMirror::StartScreenMirror() {
    std::unique_ptr<CapturedWindow> found = waitForWindow(windows_, wait_, kMirrorWindowTitle);
    if (!found) return;
    mirrorWindow_ = std::move(found);
    if (!mirrorBitmap_) mirrorBitmap_.emplace(kDmdWidth, kDmdHeight);
    if (!capTimer_.enabled()) capTimer_.setEnabled(true);  // a running period goes on
}

void ScreenMirror::StartOverlayMirror() {
    std::unique_ptr<CapturedWindow> found = waitForWindow(windows_, wait_, kOverlayWindowTitle);
    if (found) overlayWindow_ = std::move(found);
}

void ScreenMirror::StopMirror() noexcept {
    capTimer_.setEnabled(false);
    mirrorWindow_.reset();
    overlayWindow_.reset();
}

void ScreenMirror::capTimerTimer() noexcept {
    if (!mirrorBitmap_) return;
    if (mirrorWindow_) readReduced(*mirrorWindow_, mirrorAverage_, *mirrorBitmap_);
    if (overlayWindow_ && readReduced(*overlayWindow_, overlayAverage_, overlayBitmap_))
        layOver(overlayBitmap_, *mirrorBitmap_);
    SendFrameToDmd(device_, viewOf(*mirrorBitmap_));
}

}  // namespace zelk::control
