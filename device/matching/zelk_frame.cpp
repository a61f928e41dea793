#include "device/matching/zelk_frame.h"

namespace zelk::device {

void maskRow(const uint8_t* pixels, uint8_t* mask, size_t count, bool exactColorMatch) {
    // Two loops rather than a test per pixel, so each one vectorises.
    if (exactColorMatch) {
        for (size_t x = 0; x < count; ++x) {
            mask[x] = maskByte(pixels[3 * x], pixels[3 * x + 1], pixels[3 * x + 2], true);
        }
    } else {
        for (size_t x = 0; x < count; ++x) {
            mask[x] = maskByte(pixels[3 * x], pixels[3 * x + 1], pixels[3 * x + 2], false);
        }
    }
}

TZelkFrame::TZelkFrame(const Bitmap24& bmp, bool exactColorMatch)
    : fHeight(bmp.height > 0 ? bmp.height : 0),
      fWidth(bmp.width > 0 ? bmp.width : 0),
      Frame(static_cast<size_t>(fWidth) * static_cast<size_t>(fHeight)) {
    updateFrame(bmp, exactColorMatch);
}

bool TZelkFrame::updateFrame(const Bitmap24& bmp, bool exactColorMatch) {
    if (bmp.width < fWidth || bmp.height < fHeight) return false;
    for (int32_t y = 0; y < fHeight; ++y) {
        maskRow(bmp.row(y), row(y), static_cast<size_t>(fWidth), exactColorMatch);
    }
    return true;
}

}  // namespace zelk::device
