#pragma once
// DmdDriver: the plug-in's module-level state and the behaviour behind the
// exported entry points. The exported C functions (exports.cpp) forward to
// the one instance returned by pluginDriver(); tests and the zelkdmd tool
// make their own instances over a platform of their choosing.
//
// Hosts call from several threads, even at once (PinMAME's emulation thread
// and a FlexDMD-style renderer in one process): every entry point runs under
// one lock, its passing-on included. A call that comes back to the same
// driver on the same thread (two plug-ins forwarding to each other) returns
// at once: the first call is already doing the work. A driver that has seen
// such a loop waits for its lock a bounded time only (dmd_driver.cpp).
#include <cstdint>
#include <memory>
#include <string>

#include "device/entry/platform.h"
#include "dmddevice.h"

namespace zelk::device {

class TZelkCapture;

class DmdDriver {
public:
    explicit DmdDriver(Platform platform);
    ~DmdDriver();
    DmdDriver(const DmdDriver&) = delete;
    DmdDriver& operator=(const DmdDriver&) = delete;

    // The four active entry points. None of them lets an exception out.
    bool Open() noexcept;
    bool Close() noexcept;
    void SetGameName(const char* name, int length) noexcept;
    void Render_RGB24(uint16_t width, uint16_t height, const uint8_t* frame) noexcept;
    void Render_RGB24(uint16_t width, uint16_t height, const rgb24* frame) noexcept {
        Render_RGB24(width, height, reinterpret_cast<const uint8_t*>(frame));
    }

    // The others. Each is passed on to the FORWARD library when there is one
    // (device_forward.h). With SHADEDHOST=1, PM_GameSettings starts a game and
    // every shaded or luminance frame is taken in as the frame a driver
    // without the newer calls would get (legacy_frame.h, shade_frame.h);
    // otherwise they do nothing more.
    void PM_GameSettings(const char* gameName, uint64_t hardwareGeneration, const tPMoptions* options) noexcept;
    void Render_4_Shades(uint16_t width, uint16_t height, const uint8_t* frame) noexcept;
    void Render_16_Shades(uint16_t width, uint16_t height, const uint8_t* frame) noexcept;
    void Set_4_Colors_Palette(rgb24 color0, rgb24 color33, rgb24 color66, rgb24 color100) noexcept;
    void Set_16_Colors_Palette(const rgb24* colors) noexcept;
    void Render_PM_Alphanumeric_Frame(layout_t layout, const uint16_t* segData, const uint16_t* segData2) noexcept;
    void Console_Data(uint8_t data) noexcept;
    int Console_Input_Ptr(DmdConsoleRead read) noexcept;
    void Render_4_Shades_with_Raw(uint16_t width, uint16_t height, const uint8_t* frame, uint32_t rawCount,
                                  const uint8_t* raw) noexcept;
    void Render_16_Shades_with_Raw(uint16_t width, uint16_t height, const uint8_t* frame, uint32_t rawCount,
                                   const uint8_t* raw) noexcept;
    void Render_Lum_And_Raw(uint16_t width, uint16_t height, const uint8_t* lum, const uint8_t* ident,
                            uint32_t rawCount, const uint8_t* raw) noexcept;
    void Render_PM_Alphanumeric_Dim_Frame(layout_t layout, const uint16_t* segData, const char* dim,
                                          const uint16_t* segData2) noexcept;
    void Render_FloatLum_And_Raw(uint16_t width, uint16_t height, const float* lum, const uint8_t* ident,
                                 uint8_t identBits) noexcept;

    // For the tool and the tests: what Open would read from the settings.
    void setMatchReset(int32_t value);
    int32_t matchReset() const;
    // Where the matching's frame counter stands, as a recording's start gives it.
    void setFrameCounter(int32_t value);
    bool captureActive() const;
    // The frame bitmap (BGR, rows from the top), or null before the first
    // frame taken in.
    const Bitmap24* frameBitmap() const;
    // The capture set, read-only, for tools that explain a replay; null
    // before the first game start.
    const TZelkCapture* capture() const;

private:
    struct State;
    class Entry;
    std::unique_ptr<State> state_;
};

// The instance behind the exported entry points, over hostPlatform().
DmdDriver& pluginDriver();

}  // namespace zelk::device
