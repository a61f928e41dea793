#include "core/bmp_reader.h"

#include <array>
#include <cstring>
#include <new>
#include <string>

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
    if (bits == 8) {  // the common paletted depth: one byte per pixel
        for (int32_t x = 0; x < header.width; ++x) {
            std::memcpy(dst + static_cast<size_t>(x) * 3, palette[src[x]].data(), 3);
        }
        return;
    }
    const uint32_t valueMask = (1u << bits) - 1;
    for (int32_t x = 0; x < header.width; ++x) {
        // Pixels are packed from the most significant bits of each byte.
        const uint64_t bitPos = static_cast<uint64_t>(x) * bits;
        const uint32_t shift = 8 - bits - static_cast<uint32_t>(bitPos % 8);
        const uint32_t index = (src[bitPos / 8] >> shift) & valueMask;
        std::memcpy(dst + static_cast<size_t>(x) * 3, palette[index].data(), 3);
    }
}

// One channel of a 16 or 32-bit pixel turned into a byte without a branch or
// a division per pixel: the masked value is shifted down to at most 8 bits
// (channels wider than 8 bits keep their 8 top bits) and a table stretches
// narrower channels to 0-255, rounded.
struct ChannelReader {
    uint32_t mask = 0;
    uint32_t shift = 0;
    std::array<uint8_t, 256> table{};

    explicit ChannelReader(const BmpChannel& channel) : mask(channel.mask), shift(channel.shift) {
        const uint32_t bits = channel.bits < 8 ? channel.bits : 8;
        shift += channel.bits - bits;
        const uint32_t max = (1u << bits) - 1;
        for (uint32_t value = 0; value <= max && max > 0; ++value) {
            table[value] = static_cast<uint8_t>((value * 255 + max / 2) / max);
        }
    }

    uint8_t operator()(uint32_t pixel) const { return table[((pixel & mask) >> shift) & 0xFFu]; }
};

void convertMaskedRow(const uint8_t* src, const BmpHeader& header,
                      const std::array<ChannelReader, 3>& rgb, uint8_t* dst) {
    const size_t bytesPerPixel = header.bitCount / 8;
    for (int32_t x = 0; x < header.width; ++x) {
        const uint8_t* p = src + static_cast<size_t>(x) * bytesPerPixel;
        uint32_t pixel = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
        if (bytesPerPixel == 4) {
            pixel |= (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
        }
        uint8_t* out = dst + static_cast<size_t>(x) * 3;
        out[0] = rgb[2](pixel);
        out[1] = rgb[1](pixel);
        out[2] = rgb[0](pixel);
    }
}

// The pixel data was found in the buffer, so the size is bounded by the file's
// (24 times it at most, for 1-bit pictures); a machine short of memory still
// gets a refusal naming the file rather than a bare std::bad_alloc.
Bitmap24 allocate(const BmpHeader& header, const std::string& name) {
    try {
        return Bitmap24(header.width, header.height);
    } catch (const std::bad_alloc&) {
        throwBmpError(name, "not enough memory for a " + std::to_string(header.width) + "x" +
                                std::to_string(header.height) + " picture");
    }
}

}  // namespace

Bitmap24 readBmp(std::span<const uint8_t> data, const std::string& name, const BmpLimits& limits) {
    const ByteReader in(data);
    // Every size and offset is validated here, before the bitmap is allocated.
    const BmpHeader header = parseBmpHeader(in, name, limits);
    const Palette palette = readPalette(in, header);
    const std::array<ChannelReader, 3> rgb = {ChannelReader(header.channels[0]),
                                              ChannelReader(header.channels[1]),
                                              ChannelReader(header.channels[2])};

    Bitmap24 bitmap = allocate(header, name);
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
            convertMaskedRow(src, header, rgb, dst);
        }
    }
    return bitmap;
}

}  // namespace zelk
