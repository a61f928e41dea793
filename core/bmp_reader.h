#pragma once
// BMP reading from a byte buffer (no I/O). 24-bit pictures in either row
// order load as they are; uncompressed 1, 4, 8, 16 and 32-bit pictures (with
// or without bit-field masks) are converted to 24 bits. Anything else is
// refused with a zelk::Error whose message names the file and the reason.
#include <cstdint>
#include <span>
#include <string>

#include "core/bitmap24.h"

namespace zelk {

struct BmpLimits {
    int32_t maxSide = 16384;
};

// name is used in error messages only (usually the file's path).
Bitmap24 readBmp(std::span<const uint8_t> data, const std::string& name,
                 const BmpLimits& limits = {});

}  // namespace zelk
