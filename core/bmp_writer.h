#pragma once
// Writes a Bitmap24 as an uncompressed 24-bit BMP file image (rows padded to
// 4 bytes), bottom-up as most tools write them, or top-down on request.
#include <cstdint>
#include <vector>

#include "core/bitmap24.h"

namespace zelk {

std::vector<uint8_t> writeBmp24(const Bitmap24& bitmap, bool topDown = false);

}  // namespace zelk
