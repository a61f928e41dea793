#include "control/media/gif_bitmap.h"

#include <string>

#include "core/error.h"

namespace zelk::control {

GifBitmap::GifBitmap(int32_t width, int32_t height, const HalftoneQuantiser& quantiser)
    : width_(width), height_(height), quantiser_(quantiser) {
    if (width < 1 || height < 1) {
        throw Error("EInvalidGraphic", "GIF screen of " + std::to_string(width) + " x " +
                                           std::to_string(height) + " pixels");
    }
    indices_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
}

void GifBitmap::draw(const std::vector<uint8_t>& canvas) {
    quantiser_.quantise(canvas, indices_);
}

SourceBitmap GifBitmap::view() const {
    SourceBitmap bitmap;
    bitmap.width = width_;
    bitmap.height = height_;
    bitmap.format = PixelFormat::Palette8;
    bitmap.pixels = indices_.data();
    bitmap.stride = static_cast<size_t>(width_);
    bitmap.palette = quantiser_.palette().data();
    return bitmap;
}

}  // namespace zelk::control
