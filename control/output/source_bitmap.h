#pragma once
// A read-only view of a caller's bitmap in any of the formats the DMD output
// takes: 8-bit palette (the GIF animation), 24-bit BGR (mirroring) and 32-bit
// BGRA (still pictures). Rows from the top; stride may include padding.
#include <cstddef>
#include <cstdint>

#include "core/palette_entry.h"

namespace zelk::control {

// The same type as the core's, so a halftone palette can be handed over as is.
using PaletteEntry = zelk::PaletteEntry;

enum class PixelFormat { Palette8, Bgr24, Bgra32 };

struct SourceBitmap {
    int32_t width = 0;
    int32_t height = 0;
    PixelFormat format = PixelFormat::Bgr24;
    const uint8_t* pixels = nullptr;
    size_t stride = 0;                       // bytes from one row to the next
    const PaletteEntry* palette = nullptr;   // 256 entries for Palette8
};

}  // namespace zelk::control
