#include "picture_writer.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>

namespace zelk::test {

std::vector<uint8_t> writePng(int width, int height, const std::vector<uint8_t>& rgba) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) {
        throw std::runtime_error(image.message);
    }
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr)) {
        throw std::runtime_error(image.message);
    }
    out.resize(size);
    return out;
}

namespace {

void appendBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t crc32Of(const uint8_t* data, size_t size) {
    uint32_t crc = 0xffffffffu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void appendChunk(std::vector<uint8_t>& png, const char type[4], const std::vector<uint8_t>& body) {
    appendBigEndian32(png, static_cast<uint32_t>(body.size()));
    const size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), body.begin(), body.end());
    appendBigEndian32(png, crc32Of(png.data() + typeAt, png.size() - typeAt));
}

// A zlib stream of stored (uncompressed) blocks.
std::vector<uint8_t> storedZlib(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t length = std::min<size_t>(raw.size() - at, 65535);
        const bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(length));
        out.push_back(static_cast<uint8_t>(length >> 8));
        out.push_back(static_cast<uint8_t>(~length));
        out.push_back(static_cast<uint8_t>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    appendBigEndian32(out, b << 16 | a);
    return out;
}

}  // namespace

std::vector<uint8_t> writePng16Untagged(int width, int height, int channels,
                                        const std::vector<uint16_t>& samples) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> header;
    appendBigEndian32(header, static_cast<uint32_t>(width));
    appendBigEndian32(header, static_cast<uint32_t>(height));
    const auto colourType = static_cast<uint8_t>(channels == 4 ? 6 : 2);  // RGB with or without alpha
    header.insert(header.end(), {16, colourType, 0, 0, 0});  // deflate, no filter, no interlace
    appendChunk(png, "IHDR", header);
    std::vector<uint8_t> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        for (int i = 0; i < width * channels; ++i) {
            const uint16_t sample = samples[static_cast<size_t>(y * width * channels + i)];
            raw.push_back(static_cast<uint8_t>(sample >> 8));
            raw.push_back(static_cast<uint8_t>(sample));
        }
    }
    appendChunk(png, "IDAT", storedZlib(raw));
    appendChunk(png, "IEND", {});
    return png;
}

namespace {

std::vector<uint8_t> compressJpeg(int width, int height, const std::vector<uint8_t>& samples,
                                  int components, J_COLOR_SPACE space, int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);  // fixtures are well-formed; libjpeg's default exit is fine
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(components);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(samples.data()) + info.next_scanline * stride;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

}  // namespace

std::vector<uint8_t> writeJpeg(int width, int height, const std::vector<uint8_t>& rgb, int quality) {
    return compressJpeg(width, height, rgb, 3, JCS_RGB, quality);
}

std::vector<uint8_t> writeGreyJpeg(int width, int height, const std::vector<uint8_t>& grey) {
    return compressJpeg(width, height, grey, 1, JCS_GRAYSCALE, 95);
}

std::vector<uint8_t> quartersRgba(int width, int height, const uint8_t colours[4][3], uint8_t alpha) {
    std::vector<uint8_t> rgba;
    rgba.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* colour = colours[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
            rgba.insert(rgba.end(), {colour[0], colour[1], colour[2], alpha});
        }
    }
    return rgba;
}

}  // namespace zelk::test
