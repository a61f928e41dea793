#pragma once
// The borderless preview window that shows the frame bitmap.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "core/bitmap24.h"

namespace zelk::device {

// How the window shows itself, from the settings file at every Open. The
// defaults are the plain preview: placed by the system, one pixel per dot.
struct PreviewLook {
    std::optional<int32_t> x;        // top-left corner in desktop pixels
    std::optional<int32_t> y;
    int scale = 1;                   // 1 to 16 pixels per dot and side
    bool dots = false;               // round dots with a dark gap instead of squares
    bool topmost = false;            // above every window, even later ones
    bool savePosition = false;       // a drag's end is written back to the settings
};

// Paints the frame bitmap the source hands it (nothing while there is none).
// Hosts render from any thread: none of these ever waits for the thread that
// owns the window.
class PreviewWindow {
public:
    virtual ~PreviewWindow() = default;
    // Takes the look, becomes visible and comes to the front, never taking
    // the keyboard focus from the host's window.
    virtual void show(const PreviewLook& look) = 0;
    // The outer size becomes the frame's size times the scale.
    virtual void fitToFrame(int width, int height) = 0;
    virtual void refresh() = 0;                     // repaint now, before returning
};

// Runs a paint with the frame bitmap (null before the first frame) while no
// frame can be written, so that a paint never reads a frame half written.
// The paint may come from the thread that is writing frames (it then holds
// the writers' lock already) or from the window's own thread at any time.
using FramePaint = std::function<void(const Bitmap24* frame)>;
using FrameBitmapSource = std::function<void(const FramePaint& paint)>;
// Told the window's top-left corner when the user has ended a drag.
using DragEndSink = std::function<void(int32_t x, int32_t y)>;

class PreviewWindows {
public:
    virtual ~PreviewWindows() = default;
    // May return null where the platform has no preview window (POSIX).
    virtual std::unique_ptr<PreviewWindow> create(FrameBitmapSource source, DragEndSink dragEnded) = 0;
};

}  // namespace zelk::device
