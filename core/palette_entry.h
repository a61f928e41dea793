#pragma once
// One colour of a 256-colour palette, in the order red, green, blue. Shared by
// the halftone quantiser (core) and the control program's source bitmaps.
#include <array>
#include <cstdint>

namespace zelk {

struct PaletteEntry {
    uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

using Palette256 = std::array<PaletteEntry, 256>;

}  // namespace zelk
