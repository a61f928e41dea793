#include "core/bmp_reader.h"

#include <array>
#include <cstring>

#include "core/bmp_header.h"

namespace zelk {
namespace {

using Palette = std::array<std::array<uint8_t, 3>, 256>;  // B, G, R

// Entries the file does not define stay black, so a pixel index past the end
// of a short palette reads as black instead of reading out of bounds.
Palette readPalette(const ByteReader& in, const BmpHeader& header) {
    Palette palette{};
    for (uint32_t i = 0; i < header.paletteCount && i < palette.size(); ++i) {
        const uint64_t at = header.paletteOffset + uint64_t{i} * header.paletteEntrySize;
        palette[i] = {in.u8(at), in.u8(at + 1), in.u8(at + 2)};
    }
    return palette;
}

void convertIndexedRow(const uint8_t* src, const BmpHeader& header, const Palette& palette,
                       uint8_t* dst) {
    const uint32_t bits = header.bitCount;
    const uint32_t valueMask = (1u << bits) - 1;
    for (int32_t x = 0; x < header.width; ++x) {
        // Pixels are packed from the most significant bits of each byte.
        const uint64_t bitPos = static_cast<uint64_t>(x) * bits;
        const uint32_t shift = 8 - bits - static_cast<uint32_t>(bitPos % 8);
        const uint32_t index = (src[bitPos / 8] >> shift) & valueMask;
        std::memcpy(dst + static_cast<size_t>(x) * 3, palette[index].data(), 3);
    }
}

uint8_t scaleChannel(uint32_t pixel, const BmpChannel& channel) {
    if (channel.bits == 0) return 0;
    const uint32_t value = (pixel & channel.mask) >> channel.shift;
    if (channel.bits >= 8) return static_cast<uint8_t>(value >> (channel.bits - 8));
    // Narrow channels are stretched to the full 0-255 range, rounded.
    const uint32_t max = (1u << channel.bits) - 1;
    return static_cast<uint8_t>((value * 255 + max / 2) / max);
}

void convertMaskedRow(const uint8_t* src, const BmpHeader& header, uint8_t* dst) {
    const size_t bytesPerPixel = header.bitCount / 8;
    for (int32_t x = 0; x < header.width; ++x) {
        const uint8_t* p = src + static_cast<size_t>(x) * bytesPerPixel;
        uint32_t pixel = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
        if (bytesPerPixel == 4) {
            pixel |= (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
        }
        uint8_t* out = dst + static_cast<size_t>(x) * 3;
        out[0] = scaleChannel(pixel, header.channels[2]);
        out[1] = scaleChannel(pixel, header.channels[1]);
        out[2] = scaleChannel(pixel, header.channels[0]);
    }
}

}  // namespace

Bitmap24 readBmp(std::span<const uint8_t> data, const std::string& name, const BmpLimits& limits) {
    const ByteReader in(data);
    // Every size and offset is validated here, before the bitmap is allocated.
    const BmpHeader header = parseBmpHeader(in, name, limits);
    const Palette palette = readPalette(in, header);

    Bitmap24 bitmap(header.width, header.height);
    for (int32_t y = 0; y < header.height; ++y) {
        // Row 0 of the bitmap is the top row, whichever order the file stores.
        const uint64_t fileRow = header.topDown ? y : header.height - 1 - y;
        const uint8_t* src = in.bytes(header.dataOffset + fileRow * header.rowStride,
                                      header.rowStride).data();
        uint8_t* dst = bitmap.row(y);
        if (header.bitCount == 24) {
            std::memcpy(dst, src, bitmap.stride());
        } else if (header.bitCount <= 8) {
            convertIndexedRow(src, header, palette, dst);
        } else {
            convertMaskedRow(src, header, dst);
        }
    }
    return bitmap;
}

}  // namespace zelk
