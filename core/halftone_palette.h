#pragma once
// The 256-colour halftone palette and its nearest-colour rule.
//
// The GIF animation reduces every composed frame to a 256-colour palette: on
// Windows the system's halftone palette (read at run time), elsewhere the
// fixed table below. Both builds share this quantiser, which takes the
// palette as data. Rule: the entry with the smallest squared RGB distance,
// the lowest index when several are equally near.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/palette_entry.h"

namespace zelk {

// The fixed table used where the system offers no halftone palette:
// 0-9 the first ten static system colours, 10-225 a 6x6x6 colour cube
// (levels 0, 51, 102, 153, 204, 255; red slowest, blue fastest), 226-245
// twenty grays between the cube's levels, 246-255 the last ten static
// system colours. See docs/halftone-palette.md.
const Palette256& fixedHalftonePalette();

// The rule itself, by trying all 256 entries. The quantiser must agree with
// it for every colour; it is kept for tests and as the definition.
uint8_t nearestIndexBruteForce(const Palette256& palette, uint8_t red, uint8_t green,
                               uint8_t blue) noexcept;

// Exact and fast: the RGB cube is split into 32x32x32 cells; for every cell
// the entries that can be nearest to some colour inside it are listed once
// per palette, so a look-up compares a handful of entries instead of 256.
class HalftoneQuantiser {
public:
    explicit HalftoneQuantiser(const Palette256& palette);

    const Palette256& palette() const noexcept { return palette_; }

    uint8_t nearestIndex(uint8_t red, uint8_t green, uint8_t blue) const noexcept;

    // rgb: pixel count * 3 bytes (red, green, blue); indices: one byte per
    // pixel. Throws zelk::Error when the sizes disagree.
    void quantise(std::span<const uint8_t> rgb, std::span<uint8_t> indices) const;

private:
    static constexpr int kCellBits = 3;                    // 8 values per cell side
    static constexpr int kCellsPerSide = 256 >> kCellBits;  // 32
    static constexpr size_t kCellCount =
        static_cast<size_t>(kCellsPerSide) * kCellsPerSide * kCellsPerSide;

    static size_t cellIndex(int red, int green, int blue) noexcept {
        return (static_cast<size_t>(red) * kCellsPerSide + static_cast<size_t>(green)) *
                   kCellsPerSide +
               static_cast<size_t>(blue);
    }

    Palette256 palette_;
    std::vector<uint32_t> cellStart_;  // kCellCount + 1 offsets into candidates_
    std::vector<uint8_t> candidates_;  // per cell, ascending palette indices
};

}  // namespace zelk
