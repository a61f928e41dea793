#pragma once
// Builds BMP files in code for reader tests: the header fields are plain
// members, so a test case states only what differs from a small valid file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace zelk::test {

struct BmpBuild {
    uint32_t headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t planes = 1;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> masks;    // after a 40-byte header, or inside a larger one
    std::vector<uint32_t> palette;  // 0xRRGGBB; 4 bytes each (3 with the 12-byte header)
    std::vector<uint8_t> pixels;    // rows as stored, padding included
    std::optional<uint32_t> dataOffset;  // default: right after the palette
    char signature[2] = {'B', 'M'};
};

inline void put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    put16(out, at, v & 0xFFFFu);
    put16(out, at + 2, v >> 16);
}

inline std::vector<uint8_t> buildBmp(const BmpBuild& b) {
    const bool core = b.headerSize == 12;
    const size_t maskBytes = b.headerSize == 40 ? b.masks.size() * 4 : 0;
    const size_t entry = core ? 3 : 4;
    const size_t paletteAt = 14 + b.headerSize + maskBytes;
    const size_t naturalOffset = paletteAt + b.palette.size() * entry;
    const size_t offset = b.dataOffset ? *b.dataOffset : naturalOffset;
    std::vector<uint8_t> out(std::max(naturalOffset, offset) + b.pixels.size(), 0);

    out[0] = static_cast<uint8_t>(b.signature[0]);
    out[1] = static_cast<uint8_t>(b.signature[1]);
    put32(out, 2, static_cast<uint32_t>(out.size()));
    put32(out, 10, static_cast<uint32_t>(offset));
    put32(out, 14, b.headerSize);
    if (core) {
        put16(out, 18, static_cast<uint32_t>(b.width));
        put16(out, 20, static_cast<uint32_t>(b.height));
        put16(out, 22, b.planes);
        put16(out, 24, b.bits);
    } else {
        put32(out, 18, static_cast<uint32_t>(b.width));
        put32(out, 22, static_cast<uint32_t>(b.height));
        put16(out, 26, b.planes);
        put16(out, 28, b.bits);
        put32(out, 30, b.compression);
        put32(out, 34, static_cast<uint32_t>(b.pixels.size()));
        put32(out, 46, b.colorsUsed);
    }
    // Masks sit at file offset 54 both after a plain info header and inside
    // the V2 to V5 headers.
    for (size_t i = 0; i < b.masks.size() && 54 + 4 * i + 4 <= out.size(); ++i) {
        put32(out, 54 + 4 * i, b.masks[i]);
    }
    for (size_t i = 0; i < b.palette.size(); ++i) {
        const size_t at = paletteAt + i * entry;
        out[at] = static_cast<uint8_t>(b.palette[i]);
        out[at + 1] = static_cast<uint8_t>(b.palette[i] >> 8);
        out[at + 2] = static_cast<uint8_t>(b.palette[i] >> 16);
    }
    // An offset that points into the headers (a broken-file case) must not
    // overwrite them: the pixels then follow the palette as usual.
    const size_t pixelsAt = std::max(naturalOffset, offset);
    std::copy(b.pixels.begin(), b.pixels.end(), out.begin() + static_cast<std::ptrdiff_t>(pixelsAt));
    return out;
}

}  // namespace zelk::test
