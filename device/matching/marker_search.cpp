#include "device/matching/marker_search.h"

namespace zelk::device {

MarkerSearch searchMarker(const Bitmap24& picture, size_t from) {
    MarkerSearch found;
    const auto width = static_cast<size_t>(picture.width);
    if (width == 0) return found;
    for (auto y = static_cast<int32_t>(from / width); y < picture.height; ++y) {
        const uint8_t* row = picture.row(y);
        const int32_t firstX = static_cast<size_t>(y) == from / width ? static_cast<int32_t>(from % width) : 0;
        for (int32_t x = firstX; x < picture.width; ++x) {
            if (!isMarkerPixel(row + static_cast<size_t>(x) * 3)) continue;
            // Only the first marker pixel is examined; its top and left edges
            // decide, the right and bottom edges are assumed.
            found = MarkerSearch{true, x, y, 0, 0, std::nullopt};
            while (x + found.across < picture.width &&
                   isMarkerPixel(row + static_cast<size_t>(x + found.across) * 3)) {
                ++found.across;
            }
            while (y + found.down < picture.height &&
                   isMarkerPixel(picture.row(y + found.down) + static_cast<size_t>(x) * 3)) {
                ++found.down;
            }
            if (found.across >= 4 && found.down >= 4) {
                found.box = MaskRect{y + 1, x + 1, x + found.across - 1, y + found.down - 1};
            }
            return found;
        }
    }
    return found;
}

std::optional<MaskRect> FindMarkerBox(const Bitmap24& picture) { return searchMarker(picture).box; }

}  // namespace zelk::device
