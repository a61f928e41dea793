#pragma once
// The mirroring's view of other programs' windows: find a top-level window by
// its whole title and read its pixels. The Windows side takes the window's
// device context when it finds the window, keeps it with the window handle and
// releases it against that window when the object is destroyed; each read
// copies the whole window, frame included, at its current size into a 32-bit
// DIB section, which it keeps (with its memory DC) while the window's size
// stays, and hands out a view of the section's bits. Tests use a fake.
//
// POSIX has no such windows: there the capture finds nothing and the wait
// only sleeps on a steady clock, with no messages to serve.
#include <cstdint>
#include <memory>
#include <string>

#include "core/area_average.h"

namespace zelk::control {

class CapturedWindow {
public:
    virtual ~CapturedWindow() = default;
    // Reads the window as it is now: into then views its whole rectangle at
    // its own size, 32 bits per pixel (blue, green, red, unused), rows from
    // the top, until the next read or until this object goes. Returns false
    // (into as it was) when the window has gone, has no area or cannot be
    // read. Never raises: a tick must go on.
    virtual bool read(BgraView& into) noexcept = 0;
};

class WindowCapture {
public:
    virtual ~WindowCapture() = default;
    // The top-level window whose whole title is the given text (UTF-8), with
    // its device context taken; null when there is none.
    virtual std::unique_ptr<CapturedWindow> findWindow(const std::string& title) = 0;
};

// How the window wait passes its time on the main thread: a steady clock,
// a short sleep, and serving the thread's waiting messages (timer ticks and
// automation calls run inside it). Windows: GetTickCount64, Sleep and a
// PeekMessage loop; tests use a fake clock.
class MainThreadWait {
public:
    virtual ~MainThreadWait() = default;
    virtual uint64_t steadyMilliseconds() = 0;
    virtual void sleep(uint32_t milliseconds) = 0;
    virtual void pumpMessages() = 0;
};

// The platform's window look-up (Windows: FindWindowW, GetWindowDC, BitBlt;
// POSIX: always null).
std::unique_ptr<WindowCapture> makeWindowCapture();
// The calling thread's wait (Windows: GetTickCount64, Sleep, PeekMessageW;
// POSIX: steady_clock and sleep_for, pumping nothing). Use it on the thread
// whose messages it should serve.
std::unique_ptr<MainThreadWait> makeMainThreadWait();

}  // namespace zelk::control
