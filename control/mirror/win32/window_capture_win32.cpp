// Other programs' windows read through their window device contexts: the DC
// of the whole window is taken when the window is found and kept with it;
// every read copies the window at its current size into a top-down 32-bit
// DIB section, which gives the pixels in the order the mirror wants them and
// is averaged where it lies. The section and its memory DC are kept while the
// window's size stays: a tick then costs one copy and no allocation.
// (PrintWindow is not used: not every system answers it with the pixels.)
#include <windows.h>

#include <memory>

#include "control/mirror/window_capture.h"
#include "platform/win32/handles.h"
#include "platform/win32/messages.h"
#include "platform/win32/text.h"

namespace zelk::control {
namespace {

using platform::GdiObject;
using platform::MemoryDc;
using platform::SelectedObject;
using platform::WindowDc;

// Larger windows are refused rather than allocated: no front-end window is
// near it, and a bogus rectangle must not cost gigabytes.
constexpr LONG kMaxWindowSide = 16384;

HBITMAP topDownDib(HDC like, LONG width, LONG height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;     // rows of width * 4 bytes, no padding
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(like, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// A DIB section of one size, selected into a memory DC of its own. Members
// go in reverse: the section is selected out before either is deleted.
struct Surface {
    Surface(HDC like, LONG w, LONG h)
        : width(w), height(h), dib(topDownDib(like, w, h, &bits)), memory(CreateCompatibleDC(like)),
          selected(memory.get(), dib.get()) {}
    bool usable() const {
        return dib.valid() && bits != nullptr && memory.valid() &&
               GetCurrentObject(memory.get(), OBJ_BITMAP) == dib.get();
    }

    const LONG width, height;
    void* bits = nullptr;
    GdiObject<HBITMAP> dib;
    MemoryDc memory;
    SelectedObject selected;
};

class Win32CapturedWindow final : public CapturedWindow {
public:
    explicit Win32CapturedWindow(HWND window) : window_(window), dc_(window, true) {}
    bool valid() const { return dc_.valid(); }

    bool read(BgraView& into) noexcept override {
        try {
            return readNow(into);
        } catch (...) {
            return false;  // no memory for the section's bookkeeping: this tick has no picture
        }
    }

private:
    bool readNow(BgraView& into) {
        if (!IsWindow(window_)) return false;
        RECT rect{};
        if (!GetWindowRect(window_, &rect)) return false;
        const LONG width = rect.right - rect.left;
        const LONG height = rect.bottom - rect.top;
        if (width <= 0 || height <= 0 || width > kMaxWindowSide || height > kMaxWindowSide) return false;
        if (!surface_ || surface_->width != width || surface_->height != height) {
            surface_.reset();  // the old section goes before the new one is made
            surface_ = std::make_unique<Surface>(dc_.get(), width, height);
        }
        if (!surface_->usable()) {
            surface_.reset();
            return false;
        }
        if (!BitBlt(surface_->memory.get(), 0, 0, width, height, dc_.get(), 0, 0, SRCCOPY)) return false;
        GdiFlush();  // the section's bits are read directly
        into = {width, height, static_cast<const uint8_t*>(surface_->bits), static_cast<size_t>(width) * 4};
        return true;
    }

    HWND window_;
    WindowDc dc_;  // released against window_ when this object goes, after the surface
    std::unique_ptr<Surface> surface_;
};

class Win32WindowCapture final : public WindowCapture {
public:
    std::unique_ptr<CapturedWindow> findWindow(const std::string& title) override {
        HWND window = FindWindowW(nullptr, platform::utf8ToWide(title).c_str());
        if (window == nullptr) return nullptr;
        auto captured = std::make_unique<Win32CapturedWindow>(window);
        if (!captured->valid()) return nullptr;
        return captured;
    }
};

class Win32MainThreadWait final : public MainThreadWait {
public:
    uint64_t steadyMilliseconds() override { return GetTickCount64(); }
    void sleep(uint32_t milliseconds) override { Sleep(milliseconds); }
    // The end of the program asked for inside the wait stays for the
    // message loop.
    void pumpMessages() override { platform::serveWaitingMessages(); }
};

}  // namespace

std::unique_ptr<WindowCapture> makeWindowCapture() { return std::make_unique<Win32WindowCapture>(); }

std::unique_ptr<MainThreadWait> makeMainThreadWait() { return std::make_unique<Win32MainThreadWait>(); }

}  // namespace zelk::control
