/* The DMD device interface: the eleven entry points a DMD-driving host calls.
 *
 * dmddeviceZelk exports all of them; ZelkDMDControl calls Open, PM_GameSettings,
 * Render_RGB24 and Close of whatever library is installed as "dmddevice".
 * Every entry point uses the C calling convention (the caller cleans the
 * stack), so an entry point that reads none of its arguments works with any
 * argument list a host passes. */
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

typedef enum layout_t {
    LAYOUT_NONE = 0
} layout_t;

/* Active entry points. */
DMDDEV_API bool DMDDEV_CALL Open(void);
DMDDEV_API bool DMDDEV_CALL Close(void);
/* Only the low 8 bits of length count, read as a signed number. */
DMDDEV_API void DMDDEV_CALL SetGameName(const char* name, int length);
/* frame: width * height pixels of red, green, blue bytes, rows from the top,
 * no padding. Only the low 16 bits of width and height count. */
DMDDEV_API void DMDDEV_CALL Render_RGB24(uint16_t width, uint16_t height, const rgb24* frame);

/* Accepted and ignored. */
DMDDEV_API void DMDDEV_CALL PM_GameSettings(const char* gameName, uint64_t hardwareGeneration,
                                            const tPMoptions* options);
DMDDEV_API void DMDDEV_CALL Set_4_Colors_Palette(rgb24 color0, rgb24 color33, rgb24 color66,
                                                 rgb24 color100);
DMDDEV_API void DMDDEV_CALL Set_16_Colors_Palette(const rgb24* colors);
DMDDEV_API void DMDDEV_CALL Render_4_Shades(uint16_t width, uint16_t height, const uint8_t* frame);
DMDDEV_API void DMDDEV_CALL Render_16_Shades(uint16_t width, uint16_t height, const uint8_t* frame);
DMDDEV_API void DMDDEV_CALL Render_PM_Alphanumeric_Frame(layout_t layout, const uint16_t* segData,
                                                         const uint16_t* segData2);
DMDDEV_API void DMDDEV_CALL Console_Data(uint8_t data);

#ifdef __cplusplus
}
static_assert(sizeof(tPMoptions) == 76, "the options record is 76 bytes");
static_assert(sizeof(rgb24) == 3, "an RGB24 pixel is 3 bytes");
#endif

#endif
