#pragma once
// The marker outline of a trigger picture: where the search found the first
// marker pixel and what it measured there. The game start only needs the box;
// the pack check of zelkdmd also tells a pack's author why a picture has none.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/bitmap24.h"

namespace zelk::device {

// A region of a picture. Right and bottom are exclusive.
struct MaskRect {
    int32_t top = 0;
    int32_t left = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const MaskRect&) const = default;
};

// Red 253, green 0, blue 253; symmetric, so the byte order does not matter.
inline bool isMarkerPixel(const uint8_t* pixel) {
    return pixel[0] == 253 && pixel[1] == 0 && pixel[2] == 253;
}

struct MarkerSearch {
    bool markerFound = false;  // no marker pixel at all from the start on when clear
    int32_t x = 0;             // the first marker pixel found
    int32_t y = 0;
    int32_t across = 0;        // marker pixels from it rightwards, itself included
    int32_t down = 0;          // and downwards
    std::optional<MaskRect> box;  // when both runs are at least 4 long
};

// Scans in reading order from pixel index `from` (y * width + x) for the
// first marker pixel and measures its two runs. The search does not go on to
// later marker pixels.
MarkerSearch searchMarker(const Bitmap24& picture, size_t from = 0);

// The inside of the marker outline whose top-left corner is the first marker
// pixel in reading order, or none when that pixel does not start edges of at
// least 4 pixels rightwards and downwards. Only those two edges are examined;
// the others are assumed.
std::optional<MaskRect> FindMarkerBox(const Bitmap24& picture);

}  // namespace zelk::device
