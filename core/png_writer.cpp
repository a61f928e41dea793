#include "core/png_writer.h"

#include <zlib.h>

#include <array>
#include <vector>

#include "core/error.h"

namespace zelk {
namespace {

void putU32(std::string& out, uint32_t value) {
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

// A chunk: length, type, data, and the CRC over type and data.
void putChunk(std::string& out, const char (&type)[5], const std::string& data) {
    putU32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.append(type, 4);
    out += data;
    const auto* crcStart = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    putU32(out, static_cast<uint32_t>(crc32(0L, crcStart, static_cast<uInt>(4 + data.size()))));
}

std::string compressed(const std::vector<uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_SPEED) != Z_OK) {
        throw Error("EPngError", "cannot compress the picture");
    }
    out.resize(size);
    return out;
}

}  // namespace

std::string encodePngRgb(uint32_t width, uint32_t height, const uint8_t* rgb) {
    // A PNG side is at most 2^31 - 1; far smaller pictures are all we write.
    if (width == 0 || height == 0 || width > 65535 || height > 65535) {
        throw Error("EPngError", "cannot write a PNG of " + std::to_string(width) + "x" + std::to_string(height));
    }
    const size_t stride = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((stride + 1) * height);
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        raw.insert(raw.end(), rgb + y * stride, rgb + (y + 1) * stride);
    }
    std::string header;
    putU32(header, width);
    putU32(header, height);
    header += std::string{'\x08', '\x02', '\0', '\0', '\0'};  // 8 bits, RGB, deflate, no filter set, no interlace

    std::string out("\x89PNG\r\n\x1a\n", 8);
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", compressed(raw));
    putChunk(out, "IEND", std::string());
    return out;
}

std::string encodePng(const Bitmap24& bitmap) {
    std::vector<uint8_t> rgb(bitmap.pixels.size());
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        rgb[i] = bitmap.pixels[i + 2];
        rgb[i + 1] = bitmap.pixels[i + 1];
        rgb[i + 2] = bitmap.pixels[i];
    }
    return encodePngRgb(static_cast<uint32_t>(bitmap.width), static_cast<uint32_t>(bitmap.height), rgb.data());
}

}  // namespace zelk
