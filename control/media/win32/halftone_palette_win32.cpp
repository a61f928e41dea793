// The system's halftone palette, read from GDI at run time so the DMD shows
// GIF frames in the same colours a palette-based drawing on Windows would.
#include <windows.h>

#include "control/media/halftone.h"
#include "core/halftone_palette.h"
#include "platform/win32/handles.h"

namespace zelk::control {
namespace {

// Returns the entry count read (0 on failure).
UINT readHalftoneEntries(PALETTEENTRY (&entries)[256]) {
    const platform::WindowDc screen(nullptr);
    if (!screen.valid()) return 0;
    const platform::GdiObject<HPALETTE> palette(CreateHalftonePalette(screen.get()));
    return palette.valid() ? GetPaletteEntries(palette.get(), 0, 256, entries) : 0;
}

}  // namespace

Palette256 platformHalftonePalette() {
    PALETTEENTRY entries[256] = {};
    // GDI gives 256 entries on every display; should it ever give fewer, the
    // fixed table keeps the animation going in nearly the same colours.
    if (readHalftoneEntries(entries) != 256) return fixedHalftonePalette();
    Palette256 palette{};
    for (size_t i = 0; i < 256; ++i)
        palette[i] = {entries[i].peRed, entries[i].peGreen, entries[i].peBlue};
    return palette;
}

}  // namespace zelk::control
