#pragma once
// The picture `zelkdmd replay --sheet` writes: every frame on which a trigger
// was sent, enlarged, with the trigger's region outlined and labelled with
// the frame and the trigger text. Portable drawing into a Bitmap24.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/bitmap24.h"
#include "device/matching/trigger_set.h"

namespace zelk::tools {

struct SheetTile {
    uint64_t frame = 0;
    int trigger = 0;
    device::MaskRect region;  // in the frame
    bool firstSend = false;   // the trigger's first send in the replay
    Bitmap24 picture;         // the frame as it was sent
};

// Keeps the tiles of a sheet of at most maxTiles and maxPixels (as
// sheetPixels counts them), so that a long replay or one of huge frames
// neither fills the memory nor draws a picture nobody can look at. Every
// trigger's first send goes before any repeated send; repeats fill the
// places left, earliest first. A send whose tile would take the sheet past
// maxPixels is left out. Tiles stay in replay order.
class SheetCollector {
public:
    SheetCollector(size_t maxTiles, uint64_t maxPixels) : maxTiles_(maxTiles), maxPixels_(maxPixels) {}

    // rgb: the frame, width * height pixels of red, green, blue.
    void add(uint64_t frame, int trigger, const device::MaskRect& region, uint16_t width, uint16_t height,
             const uint8_t* rgb);

    const std::vector<SheetTile>& tiles() const { return tiles_; }
    uint64_t sends() const { return sends_; }
    // Some send was left out for the pixel bound.
    bool pixelsCapped() const { return pixelsCapped_; }

private:
    bool fits(size_t tiles, uint16_t width, uint16_t height) const;

    size_t maxTiles_;
    uint64_t maxPixels_;
    bool pixelsCapped_ = false;
    std::vector<SheetTile> tiles_;
    std::vector<bool> sent_;  // by trigger number
    uint64_t sends_ = 0;
};

// The size of each tile's enlargement: whole numbers up to 4, so that a
// 128x32 frame becomes 512x128 and a larger one stays within that.
int sheetScale(int32_t frameWidth, int32_t frameHeight);

// The pixels of a sheet of that many tiles of frames up to that size.
uint64_t sheetPixels(size_t tiles, int32_t frameWidth, int32_t frameHeight);

// Lays the tiles out in rows; the footer says how many sends there were, how
// many were left out and whether the pixel bound left some out.
Bitmap24 drawContactSheet(const std::vector<SheetTile>& tiles, uint64_t sends, bool pixelsCapped = false);

}  // namespace zelk::tools
