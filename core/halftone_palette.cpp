#include "core/halftone_palette.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <span>

#include "core/error.h"

namespace zelk {

namespace {

constexpr std::array<PaletteEntry, 10> kFirstStaticColours{{
    {0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128},
    {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
}};

constexpr std::array<PaletteEntry, 10> kLastStaticColours{{
    {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},
    {255, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};

Palette256 makeFixedHalftonePalette() {
    Palette256 palette{};
    size_t next = 0;
    for (const PaletteEntry& entry : kFirstStaticColours) palette[next++] = entry;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette[next++] = {static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51),
                                   static_cast<uint8_t>(b * 51)};
    // Twenty grays evenly spread over 0..255 (i * 255 / 21), which fills the
    // gaps between the cube's six gray levels.
    for (int i = 1; i <= 20; ++i) {
        const auto level = static_cast<uint8_t>((i * 255 + 10) / 21);
        palette[next++] = {level, level, level};
    }
    for (const PaletteEntry& entry : kLastStaticColours) palette[next++] = entry;
    return palette;
}

int squaredDistance(const PaletteEntry& entry, int red, int green, int blue) {
    const int dr = entry.red - red, dg = entry.green - green, db = entry.blue - blue;
    return dr * dr + dg * dg + db * db;
}

// Smallest and largest distance between one value and the values lo..hi of
// one channel.
int nearestGap(int value, int lo, int hi) {
    if (value < lo) return lo - value;
    if (value > hi) return value - hi;
    return 0;
}

int farthestGap(int value, int lo, int hi) { return std::max(value - lo, hi - value); }

// For a box of colours, an entry can be the nearest to some colour inside it
// only if its nearest possible distance to the box does not exceed the
// smallest farthest distance of any entry (that entry is at least as near to
// every colour of the box). Entries equal to the bound stay listed because
// they may win a tie by their lower index. The result keeps the order of the
// entries given, so ascending indices stay ascending.
void appendCandidates(const Palette256& palette, std::span<const uint8_t> entries, int r0, int g0,
                      int b0, int side, std::vector<uint8_t>& out) {
    std::array<int, 256> nearest{};
    int bound = std::numeric_limits<int>::max();
    for (size_t k = 0; k < entries.size(); ++k) {
        const PaletteEntry& e = palette[entries[k]];
        const int gr = nearestGap(e.red, r0, r0 + side - 1);
        const int gg = nearestGap(e.green, g0, g0 + side - 1);
        const int gb = nearestGap(e.blue, b0, b0 + side - 1);
        nearest[k] = gr * gr + gg * gg + gb * gb;
        const int fr = farthestGap(e.red, r0, r0 + side - 1);
        const int fg = farthestGap(e.green, g0, g0 + side - 1);
        const int fb = farthestGap(e.blue, b0, b0 + side - 1);
        bound = std::min(bound, fr * fr + fg * fg + fb * fb);
    }
    for (size_t k = 0; k < entries.size(); ++k)
        if (nearest[k] <= bound) out.push_back(entries[k]);
}

}  // namespace

const Palette256& fixedHalftonePalette() {
    static const Palette256 palette = makeFixedHalftonePalette();
    return palette;
}

uint8_t nearestIndexBruteForce(const Palette256& palette, uint8_t red, uint8_t green,
                               uint8_t blue) noexcept {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < 256; ++i) {
        const int d = squaredDistance(palette[static_cast<size_t>(i)], red, green, blue);
        if (d < bestDistance) {  // strict: the lowest index wins a tie
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

// Two passes keep the set-up short: the candidates of a coarse box (4x4x4
// cells) are found among all 256 entries, those of each cell among the
// coarse box's candidates only. Whatever can be nearest inside a cell can be
// nearest inside the box around it, so nothing is lost.
HalftoneQuantiser::HalftoneQuantiser(const Palette256& palette) : palette_(palette) {
    constexpr int cellSide = 1 << kCellBits;
    constexpr int cellsPerBox = 4;
    constexpr int boxSide = cellSide * cellsPerBox;
    constexpr int boxesPerSide = kCellsPerSide / cellsPerBox;

    // A repeated colour never wins: its first occurrence is as near and lower.
    std::vector<uint8_t> distinct;
    for (size_t i = 0; i < 256; ++i)
        if (std::find(palette_.begin(), palette_.begin() + static_cast<std::ptrdiff_t>(i),
                      palette_[i]) == palette_.begin() + static_cast<std::ptrdiff_t>(i))
            distinct.push_back(static_cast<uint8_t>(i));

    std::vector<uint32_t> count(kCellCount, 0);
    std::vector<uint8_t> lists;  // per cell, in the order the boxes visit them
    lists.reserve(kCellCount * 4);
    std::vector<uint8_t> boxCandidates;
    std::vector<uint32_t> listStart(kCellCount, 0);
    for (int br = 0; br < boxesPerSide; ++br)
        for (int bg = 0; bg < boxesPerSide; ++bg)
            for (int bb = 0; bb < boxesPerSide; ++bb) {
                boxCandidates.clear();
                appendCandidates(palette_, distinct, br * boxSide, bg * boxSide, bb * boxSide, boxSide,
                                 boxCandidates);
                for (int cr = br * cellsPerBox; cr < (br + 1) * cellsPerBox; ++cr)
                    for (int cg = bg * cellsPerBox; cg < (bg + 1) * cellsPerBox; ++cg)
                        for (int cb = bb * cellsPerBox; cb < (bb + 1) * cellsPerBox; ++cb) {
                            const size_t cell = cellIndex(cr, cg, cb);
                            listStart[cell] = static_cast<uint32_t>(lists.size());
                            appendCandidates(palette_, boxCandidates, cr * cellSide,
                                             cg * cellSide, cb * cellSide, cellSide, lists);
                            count[cell] = static_cast<uint32_t>(lists.size()) - listStart[cell];
                        }
            }
    // Lay the lists out in cell order so a cell's list ends where the next begins.
    cellStart_.resize(kCellCount + 1);
    candidates_.resize(lists.size());
    uint32_t next = 0;
    for (size_t cell = 0; cell < kCellCount; ++cell) {
        cellStart_[cell] = next;
        std::copy_n(lists.begin() + listStart[cell], count[cell], candidates_.begin() + next);
        next += count[cell];
    }
    cellStart_[kCellCount] = next;
}

uint8_t HalftoneQuantiser::nearestIndex(uint8_t red, uint8_t green, uint8_t blue) const noexcept {
    const size_t cell = cellIndex(red >> kCellBits, green >> kCellBits, blue >> kCellBits);
    const uint32_t begin = cellStart_[cell];
    const uint32_t end = cellStart_[cell + 1];
    uint8_t best = candidates_[begin];
    if (end - begin == 1) return best;
    int bestDistance = squaredDistance(palette_[best], red, green, blue);
    for (uint32_t k = begin + 1; k < end; ++k) {
        const uint8_t i = candidates_[k];
        const int d = squaredDistance(palette_[i], red, green, blue);
        if (d < bestDistance) {  // candidates ascend, so strict keeps the lowest index
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

void HalftoneQuantiser::quantise(std::span<const uint8_t> rgb, std::span<uint8_t> indices) const {
    if (rgb.size() != indices.size() * 3)
        throw Error("EQuantiseError", "halftone quantiser: " + std::to_string(rgb.size()) +
                                          " colour bytes for " + std::to_string(indices.size()) +
                                          " pixels");
    for (size_t i = 0; i < indices.size(); ++i)
        indices[i] = nearestIndex(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
}

}  // namespace zelk
