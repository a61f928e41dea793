#include "control/media/posix/picture_codecs_posix.h"

#include <png.h>

#include <string>

#include "core/error.h"

namespace zelk::control {
namespace {

// libpng's simplified interface keeps its setjmp handling inside the library
// and reports failures through its return value and image.message.
struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
};

Error pngError(const png_image& image) {
    return Error("EInvalidGraphic", std::string("PNG: ") + image.message);
}

}  // namespace

StillPicture decodePng(std::span<const uint8_t> data, const PictureLimits& limits) {
    PngImage png;
    if (!png_image_begin_read_from_memory(&png.image, data.data(), data.size())) {
        throw pngError(png.image);
    }
    checkPictureSize(png.image.width, png.image.height, limits);
    png.image.format = PNG_FORMAT_BGRA;
    // libpng would take untagged 16-bit samples for linear light and brighten
    // them on the way to 8 bits; the Windows decoder keeps the stored values,
    // and so do we.
    png.image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    StillPicture picture;
    picture.width = static_cast<int32_t>(png.image.width);
    picture.height = static_cast<int32_t>(png.image.height);
    picture.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 4);
    const png_int_32 stride = picture.width * 4;
    if (!png_image_finish_read(&png.image, nullptr, picture.pixels.data(), stride, nullptr)) {
        throw pngError(png.image);
    }
    return picture;
}

}  // namespace zelk::control
