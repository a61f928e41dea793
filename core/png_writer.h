#pragma once
// Encodes an RGB picture as a PNG file's bytes (8-bit RGB, no interlace).
// The bytes are written by the caller, so the core stays free of files.
#include <cstdint>
#include <string>

#include "core/bitmap24.h"

namespace zelk {

// rgb: width * height pixels, red, green, blue, rows from the top.
std::string encodePngRgb(uint32_t width, uint32_t height, const uint8_t* rgb);

// The same for a Bitmap24 (blue, green, red).
std::string encodePng(const Bitmap24& bitmap);

}  // namespace zelk
