#pragma once
// The borderless preview window that shows the frame bitmap.
#include <functional>
#include <memory>

#include "core/bitmap24.h"

namespace zelk::device {

// Paints whatever the frame-bitmap source returns (nothing while it returns null).
class PreviewWindow {
public:
    virtual ~PreviewWindow() = default;
    virtual void show() = 0;                        // visible and to the front
    virtual void setOuterSize(int width, int height) = 0;
    virtual void refresh() = 0;                     // repaint now, before returning
};

using FrameBitmapSource = std::function<const Bitmap24*()>;

class PreviewWindows {
public:
    virtual ~PreviewWindows() = default;
    // May return null where the platform has no preview window (POSIX).
    virtual std::unique_ptr<PreviewWindow> create(FrameBitmapSource source) = 0;
};

}  // namespace zelk::device
