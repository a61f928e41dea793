#include "picture_writer.h"

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
