/* The DMD device interface: the seventeen entry points a DMD-driving host
 * may call, written down once in DMDDEVICE_ENTRY_POINTS below. The
 * declarations here, the plug-in's exports, its forwarder's table, the
 * control program's binding and the test hosts are all made from that list.
 *
 * dmddeviceZelk exports all of them; ZelkDMDControl calls Open,
 * PM_GameSettings, Render_RGB24 and Close of whatever library is installed as
 * "dmddevice". Every entry point uses the C calling convention (the caller
 * cleans the stack).
 *
 * The first eleven are the classic interface. PinMAME 3.6 and 3.7 look up
 * six more and use the richest one a driver exports: the console input hook,
 * the shaded frames with their raw bitplanes, the luminance frames and the
 * alphanumeric frame with dimmed segments. Newer per-device calls
 * (Create_Device, Render_*_Device, ...) are not part of it: a host that finds
 * none of them uses the calls below. */
#ifndef ZELK_DMDDEVICE_H
#define ZELK_DMDDEVICE_H

#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#ifdef _WIN32
#define DMDDEV_CALL __cdecl
#ifdef ZELK_BUILDING_DMDDEVICE
#define DMDDEV_API __declspec(dllexport)
#else
#define DMDDEV_API
#endif
#else
#define DMDDEV_CALL
#define DMDDEV_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct rgb24 {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
} rgb24;

/* The options record of PM_GameSettings: 76 bytes, all zero when the control
 * program opens the device. */
typedef struct tPMoptions {
    int32_t values[19];
} tPMoptions;

/* The segment layout of an alphanumeric frame. PinMAME numbers its layouts
 * from 1 (2x16 alphanumeric) on, past 15, so the type holds every int: an
 * int-sized enum with a fixed underlying type in C++, an int in C. */
#ifdef __cplusplus
enum layout_t : int { LAYOUT_NONE = 0 };
#else
typedef int layout_t;
#define LAYOUT_NONE 0
#endif

/* The console hook of Console_Input_Ptr: reads up to size bytes a game's
 * console has typed, returns how many. */
typedef int (*DmdConsoleRead)(uint8_t* buffer, int size);

/* X(result, name, parameters, arguments), in the interface's order.
 *
 * Frames: width * height dots, rows from the top, no padding; only the low
 * 16 bits of width and height count. RGB24 frames hold red, green, blue
 * bytes; shaded frames one byte a dot, 0-3 (4 shades) or 0-15 (16 shades).
 * Raw bitplanes: rawCount planes of width * height / 8 bytes. Luminance:
 * one byte a dot (0-255), or a float from 0.0 to 1.0; ident is the
 * identification frame, one byte a dot, and identBits 4 for 16 shades, else
 * 2. Alphanumeric segment buffers hold 128 values each; dim one byte for
 * each of the 128 positions. SetGameName: only the low 8 bits of length
 * count, read as a signed number. */
#define DMDDEVICE_ENTRY_POINTS(X)                                                                          \
    X(bool, Open, (void), ())                                                                              \
    X(bool, Close, (void), ())                                                                             \
    X(void, SetGameName, (const char* name, int length), (name, length))                                   \
    X(void, Render_RGB24, (uint16_t width, uint16_t height, const rgb24* frame), (width, height, frame))   \
    X(void, PM_GameSettings, (const char* gameName, uint64_t hardwareGeneration, const tPMoptions* options), \
      (gameName, hardwareGeneration, options))                                                             \
    X(void, Set_4_Colors_Palette, (rgb24 color0, rgb24 color33, rgb24 color66, rgb24 color100),            \
      (color0, color33, color66, color100))                                                                \
    X(void, Set_16_Colors_Palette, (const rgb24* colors), (colors))                                        \
    X(void, Render_4_Shades, (uint16_t width, uint16_t height, const uint8_t* frame), (width, height, frame)) \
    X(void, Render_16_Shades, (uint16_t width, uint16_t height, const uint8_t* frame), (width, height, frame)) \
    X(void, Render_PM_Alphanumeric_Frame, (layout_t layout, const uint16_t* segData, const uint16_t* segData2), \
      (layout, segData, segData2))                                                                         \
    X(void, Console_Data, (uint8_t data), (data))                                                          \
    X(int, Console_Input_Ptr, (DmdConsoleRead read), (read))                                               \
    X(void, Render_4_Shades_with_Raw,                                                                      \
      (uint16_t width, uint16_t height, const uint8_t* frame, uint32_t rawCount, const uint8_t* raw),      \
      (width, height, frame, rawCount, raw))                                                               \
    X(void, Render_16_Shades_with_Raw,                                                                     \
      (uint16_t width, uint16_t height, const uint8_t* frame, uint32_t rawCount, const uint8_t* raw),      \
      (width, height, frame, rawCount, raw))                                                               \
    X(void, Render_Lum_And_Raw,                                                                            \
      (uint16_t width, uint16_t height, const uint8_t* lum, const uint8_t* ident, uint32_t rawCount,       \
       const uint8_t* raw),                                                                                \
      (width, height, lum, ident, rawCount, raw))                                                          \
    X(void, Render_PM_Alphanumeric_Dim_Frame,                                                              \
      (layout_t layout, const uint16_t* segData, const char* dim, const uint16_t* segData2),               \
      (layout, segData, dim, segData2))                                                                    \
    X(void, Render_FloatLum_And_Raw,                                                                       \
      (uint16_t width, uint16_t height, const float* lum, const uint8_t* ident, uint8_t identBits),         \
      (width, height, lum, ident, identBits))

#define DMDDEVICE_DECLARE_(result, name, parameters, arguments) DMDDEV_API result DMDDEV_CALL name parameters;
DMDDEVICE_ENTRY_POINTS(DMDDEVICE_DECLARE_)
#undef DMDDEVICE_DECLARE_

#ifdef __cplusplus
}
static_assert(sizeof(tPMoptions) == 76, "the options record is 76 bytes");
static_assert(sizeof(rgb24) == 3, "an RGB24 pixel is 3 bytes");
static_assert(sizeof(layout_t) == sizeof(int), "layout_t is passed as an int");
#endif

#endif
