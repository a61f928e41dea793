#pragma once
// TzelkDMDForm: the borderless preview window that shows the frame bitmap
// 1:1 in its whole client area (no child window), and Win32PreviewWindows,
// which makes it for the plug-in.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "device/preview_window.h"

namespace zelk::device {

class TzelkDMDForm : public PreviewWindow {
public:
    // Creates the window hidden, 546 x 152 at the system's default place.
    // Throws zelk::Error when the system refuses the window.
    explicit TzelkDMDForm(FrameBitmapSource source);
    ~TzelkDMDForm() override;
    TzelkDMDForm(const TzelkDMDForm&) = delete;
    TzelkDMDForm& operator=(const TzelkDMDForm&) = delete;

    void show() override;
    void setOuterSize(int width, int height) override;
    void refresh() override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void createWindow();
    void paintFrame(HDC dc);
    void mouseDown(UINT message);

    FrameBitmapSource source_;
    HWND window_ = nullptr;
    std::vector<uint8_t> paddedRows_;  // GDI wants rows padded to 4 bytes
};

class Win32PreviewWindows : public PreviewWindows {
public:
    std::unique_ptr<PreviewWindow> create(FrameBitmapSource source) override {
        return std::make_unique<TzelkDMDForm>(std::move(source));
    }
};

}  // namespace zelk::device
