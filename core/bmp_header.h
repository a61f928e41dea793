#pragma once
// The validated layout of a BMP file: everything the pixel conversion needs,
// checked against the buffer and the limits before any pixel memory is
// allocated. Parsing refuses what the reader cannot convert exactly.
#include <array>
#include <cstdint>
#include <string>

#include "core/bmp_reader.h"
#include "core/byte_reader.h"

namespace zelk {

// One colour channel of a 16 or 32-bit pixel: value = (pixel & mask) >> shift,
// bits wide (0 when the mask is empty).
struct BmpChannel {
    uint32_t mask = 0;
    uint32_t shift = 0;
    uint32_t bits = 0;
};

struct BmpHeader {
    int32_t width = 0;
    int32_t height = 0;      // always positive
    bool topDown = false;    // rows stored from the top (negative height in the file)
    uint32_t bitCount = 0;   // 1, 2, 4, 8, 16, 24 or 32
    uint64_t dataOffset = 0;
    uint64_t rowStride = 0;  // bytes per stored row, padded to 4
    // Palette (depths up to 8): entries of paletteEntrySize bytes, B, G, R first.
    uint64_t paletteOffset = 0;
    uint32_t paletteCount = 0;
    uint32_t paletteEntrySize = 4;
    // Channels of 16 and 32-bit pixels, in the order red, green, blue.
    std::array<BmpChannel, 3> channels{};
};

// Throws zelk::Error ("EBmpError") naming the file and the reason.
BmpHeader parseBmpHeader(const ByteReader& in, const std::string& name, const BmpLimits& limits);

[[noreturn]] void throwBmpError(const std::string& name, const std::string& reason);

}  // namespace zelk
