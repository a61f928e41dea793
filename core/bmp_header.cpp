#include "core/bmp_header.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "core/error.h"

namespace zelk {
namespace {

constexpr uint64_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;  // OS/2 1.x BITMAPCOREHEADER
constexpr uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER

// Compression codes of the info header.
constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kJpeg = 4;
constexpr uint32_t kPng = 5;
constexpr uint32_t kAlphaBitFields = 6;

// The fields of either header kind, before validation.
struct RawHeader {
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0;
    uint32_t planes = 0;
    uint32_t bitCount = 0;
    uint32_t compression = kRgb;
    uint32_t colorsUsed = 0;
    uint64_t dataOffset = 0;
};

bool isKnownHeaderSize(uint32_t size) {
    // BITMAPCOREHEADER, BITMAPINFOHEADER and the V2, V3, V4 and V5 headers.
    return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 ||
           size == 108 || size == 124;
}

RawHeader readRawHeader(const ByteReader& in, const std::string& name) {
    if (!in.has(0, kFileHeaderSize + 4)) {
        throwBmpError(name, "too short for a BMP header (" + std::to_string(in.size()) + " bytes)");
    }
    if (in.u8(0) != 'B' || in.u8(1) != 'M') throwBmpError(name, "not a BMP file (no \"BM\" signature)");

    RawHeader raw;
    raw.dataOffset = in.u32(10);
    raw.headerSize = in.u32(14);
    if (!isKnownHeaderSize(raw.headerSize)) {
        throwBmpError(name, "unsupported header size " + std::to_string(raw.headerSize));
    }
    if (!in.has(kFileHeaderSize, raw.headerSize)) {
        throwBmpError(name, "truncated header (needs " +
                                std::to_string(kFileHeaderSize + raw.headerSize) +
                                " bytes, file has " + std::to_string(in.size()) + ")");
    }
    if (raw.headerSize == kCoreHeaderSize) {
        // The OS/2 header has unsigned 16-bit sides and always stores rows bottom-up.
        raw.width = in.u16(18);
        raw.height = in.u16(20);
        raw.planes = in.u16(22);
        raw.bitCount = in.u16(24);
        return raw;
    }
    raw.width = in.i32(18);
    raw.height = in.i32(22);
    raw.planes = in.u16(26);
    raw.bitCount = in.u16(28);
    raw.compression = in.u32(30);
    raw.colorsUsed = in.u32(46);
    return raw;
}

void checkCompression(const RawHeader& raw, const std::string& name) {
    switch (raw.compression) {
    case kRgb:
        return;
    case kBitFields:
    case kAlphaBitFields:
        if (raw.bitCount == 16 || raw.bitCount == 32) return;
        throwBmpError(name, "bit-field masks with " + std::to_string(raw.bitCount) + "-bit pixels");
    case kRle8:
        throwBmpError(name, "RLE8 compression is not supported");
    case kRle4:
        throwBmpError(name, "RLE4 compression is not supported");
    case kJpeg:
        throwBmpError(name, "embedded JPEG (or RLE24) compression is not supported");
    case kPng:
        throwBmpError(name, "embedded PNG compression is not supported");
    default:
        throwBmpError(name, "unknown compression " + std::to_string(raw.compression));
    }
}

void checkDepth(const RawHeader& raw, const std::string& name) {
    const uint32_t bits = raw.bitCount;
    const bool known = raw.headerSize == kCoreHeaderSize
                           ? (bits == 1 || bits == 4 || bits == 8 || bits == 24)
                           : (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 ||
                              bits == 24 || bits == 32);
    if (!known) throwBmpError(name, "unsupported bit depth " + std::to_string(bits));
    if (raw.planes != 1) throwBmpError(name, "plane count " + std::to_string(raw.planes) + " (must be 1)");
}

void checkSize(const RawHeader& raw, const std::string& name, const BmpLimits& limits,
               BmpHeader& header) {
    // A trigger picture (or any picture worth showing) has pixels, so an empty
    // one is an error rather than an empty bitmap.
    if (raw.width <= 0) throwBmpError(name, "invalid width " + std::to_string(raw.width));
    if (raw.height == 0) throwBmpError(name, "zero height");
    const int64_t height = raw.height < 0 ? -raw.height : raw.height;
    if (raw.width > limits.maxSide || height > limits.maxSide) {
        throwBmpError(name, "picture too large (" + std::to_string(raw.width) + "x" +
                                std::to_string(height) + ", at most " +
                                std::to_string(limits.maxSide) + " pixels per side)");
    }
    // Sides are below 2^31, so this product fits in 64 bits; it must also fit
    // the address space (a 32-bit build with a raised limit).
    const uint64_t bytes = static_cast<uint64_t>(raw.width) * static_cast<uint64_t>(height) * 3;
    if (bytes > std::numeric_limits<size_t>::max() / 2) {
        throwBmpError(name, "picture too large for this process (" + std::to_string(bytes) + " bytes)");
    }
    header.width = static_cast<int32_t>(raw.width);
    header.height = static_cast<int32_t>(height);
    header.topDown = raw.height < 0;
}

BmpChannel makeChannel(uint32_t mask) {
    BmpChannel channel;
    channel.mask = mask;
    if (mask != 0) {
        channel.shift = static_cast<uint32_t>(std::countr_zero(mask));
        channel.bits = static_cast<uint32_t>(std::popcount(mask));
    }
    return channel;
}

bool isContiguous(const BmpChannel& channel) {
    const uint64_t run = (uint64_t{1} << channel.bits) - 1;
    return (channel.mask >> channel.shift) == run;
}

// Reads and checks the masks of 16 and 32-bit pixels; returns the number of
// mask bytes that follow a plain BITMAPINFOHEADER (the later headers hold the
// masks inside themselves, at the same file offset).
uint64_t readChannels(const ByteReader& in, const RawHeader& raw, const std::string& name,
                      BmpHeader& header) {
    if (raw.bitCount != 16 && raw.bitCount != 32) return 0;
    const bool hasMasks = raw.compression == kBitFields || raw.compression == kAlphaBitFields;
    if (!hasMasks) {
        // Without masks: 5-5-5 for 16 bits, 8-8-8 for 32 bits.
        const bool is16 = raw.bitCount == 16;
        header.channels = {makeChannel(is16 ? 0x7C00u : 0xFF0000u),
                           makeChannel(is16 ? 0x03E0u : 0x00FF00u),
                           makeChannel(is16 ? 0x001Fu : 0x0000FFu)};
        return 0;
    }
    const uint64_t extra =
        raw.headerSize == kInfoHeaderSize ? (raw.compression == kAlphaBitFields ? 16 : 12) : 0;
    constexpr uint64_t kMaskOffset = kFileHeaderSize + kInfoHeaderSize;
    if (!in.has(kMaskOffset, 12)) throwBmpError(name, "truncated bit-field masks");
    uint32_t seen = 0;
    for (size_t i = 0; i < 3; ++i) {
        const uint32_t mask = in.u32(kMaskOffset + 4 * i);
        const BmpChannel channel = makeChannel(mask);
        if (raw.bitCount == 16 && mask > 0xFFFFu) {
            throwBmpError(name, "bit-field mask " + std::to_string(mask) + " exceeds 16-bit pixels");
        }
        if (!isContiguous(channel) || (seen & mask) != 0) {
            throwBmpError(name, "bit-field masks are not contiguous or overlap");
        }
        seen |= mask;
        header.channels[i] = channel;
    }
    return extra;
}

void readPalette(const ByteReader& in, const RawHeader& raw, const std::string& name,
                 uint64_t paletteOffset, BmpHeader& header) {
    if (raw.bitCount > 8) return;  // palettes of deeper pictures are only hints; ignored
    const uint32_t maxCount = uint32_t{1} << raw.bitCount;
    const bool core = raw.headerSize == kCoreHeaderSize;
    header.paletteEntrySize = core ? 3 : 4;
    header.paletteOffset = paletteOffset;
    uint64_t count = raw.colorsUsed == 0 ? maxCount : raw.colorsUsed;
    if (core) {
        // The OS/2 header has no colour count: the palette fills the gap up to
        // the pixel data, at most 2^depth entries.
        const uint64_t room = raw.dataOffset > paletteOffset ? raw.dataOffset - paletteOffset : 0;
        count = std::min<uint64_t>(maxCount, room / 3);
    }
    if (count > maxCount) {
        throwBmpError(name, "palette of " + std::to_string(count) + " colours is too large for " +
                                std::to_string(raw.bitCount) + "-bit pixels");
    }
    const uint64_t bytes = count * header.paletteEntrySize;
    if (!in.has(paletteOffset, bytes) || paletteOffset + bytes > raw.dataOffset) {
        throwBmpError(name, "palette of " + std::to_string(count) +
                                " colours does not fit before the pixel data");
    }
    header.paletteCount = static_cast<uint32_t>(count);
}

void checkPixelData(const ByteReader& in, const std::string& name, uint64_t headersEnd,
                    BmpHeader& header) {
    if (header.dataOffset < headersEnd) {
        throwBmpError(name, "pixel data offset " + std::to_string(header.dataOffset) +
                                " lies inside the headers (they end at " +
                                std::to_string(headersEnd) + ")");
    }
    if (header.dataOffset > in.size()) {
        throwBmpError(name, "pixel data offset " + std::to_string(header.dataOffset) +
                                " lies past the end of the file (" + std::to_string(in.size()) +
                                " bytes)");
    }
    // Sides are at most BmpLimits::maxSide (int32), so these products fit in 64 bits.
    header.rowStride = (static_cast<uint64_t>(header.width) * header.bitCount + 31) / 32 * 4;
    const uint64_t needed = header.rowStride * static_cast<uint64_t>(header.height);
    if (!in.has(header.dataOffset, needed)) {
        throwBmpError(name, "truncated pixel data (needs " + std::to_string(needed) +
                                " bytes at offset " + std::to_string(header.dataOffset) +
                                ", file has " + std::to_string(in.size()) + ")");
    }
}

}  // namespace

void throwBmpError(const std::string& name, const std::string& reason) {
    throw Error("EBmpError", name + ": " + reason);
}

BmpHeader parseBmpHeader(const ByteReader& in, const std::string& name, const BmpLimits& limits) {
    const RawHeader raw = readRawHeader(in, name);
    checkCompression(raw, name);
    checkDepth(raw, name);
    BmpHeader header;
    checkSize(raw, name, limits, header);
    header.bitCount = raw.bitCount;
    header.dataOffset = raw.dataOffset;

    const uint64_t maskBytes = readChannels(in, raw, name, header);
    const uint64_t headersEnd = kFileHeaderSize + raw.headerSize + maskBytes;
    if (!in.has(0, headersEnd)) throwBmpError(name, "truncated bit-field masks");
    readPalette(in, raw, name, headersEnd, header);
    checkPixelData(in, name, headersEnd, header);
    return header;
}

}  // namespace zelk
