#pragma once
// TzelkDMDForm: the borderless preview window that shows the frame bitmap in
// its whole client area (no child window), enlarged by the scale of the
// settings, and Win32PreviewWindows, which makes it for the plug-in.
//
// The window belongs to the thread that made it (the one that called Open).
// Any other thread that shows, sizes or repaints it does so without sending
// it a message that waits: the window's thread may be waiting for that very
// thread, or may never serve its messages at all.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>

#include "device/preview/preview_raster.h"
#include "device/preview/preview_window.h"
#include "platform/win32/handles.h"

namespace zelk::device {

class TzelkDMDForm : public PreviewWindow {
public:
    // Creates the window hidden, 546 x 152 at the system's default place.
    // Throws zelk::Error when the system refuses the window.
    TzelkDMDForm(FrameBitmapSource source, DragEndSink dragEnded);
    ~TzelkDMDForm() override;
    TzelkDMDForm(const TzelkDMDForm&) = delete;
    TzelkDMDForm& operator=(const TzelkDMDForm&) = delete;

    void show(const PreviewLook& look) override;
    void fitToFrame(int width, int height) override;
    void refresh() override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void createWindow();
    // Where the window goes: at the corner of the settings when asked for
    // (else where it is), at the frame's size times the scale once fitted
    // (else its size as it is); kept on a monitor when placed by the settings.
    RECT placement(bool settingsCorner) const;
    bool ownThread() const;
    void paintFrame(HDC dc);
    void drawFrame(HDC dc, const Bitmap24* bitmap);  // under the frame source's lock
    bool prepareCanvas(int width, int height);
    void mouseDown(UINT message);

    FrameBitmapSource source_;
    DragEndSink dragEnded_;
    // Cleared on the window's own thread when the system destroys it.
    std::atomic<HWND> window_{nullptr};
    PreviewLook look_;
    std::optional<SIZE> frameSize_;  // the frame the window was fitted to
    // The window could not be made anew for a frame: later frames do not try
    // (and log) again, the next Open does.
    bool remakeRefused_ = false;
    // The enlarged frame is drawn here and blitted: one DIB section, kept
    // while the frame and scale keep their size. Used by whichever thread
    // paints, only while the frame source holds its lock.
    PreviewRaster raster_;
    platform::MemoryDc canvasDc_;
    platform::GdiObject<HBITMAP> canvas_;
    uint32_t* canvasBits_ = nullptr;
    SIZE canvasSize_{0, 0};
};

class Win32PreviewWindows : public PreviewWindows {
public:
    std::unique_ptr<PreviewWindow> create(FrameBitmapSource source, DragEndSink dragEnded) override {
        return std::make_unique<TzelkDMDForm>(std::move(source), std::move(dragEnded));
    }
};

}  // namespace zelk::device
