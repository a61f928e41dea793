#include "control/media/still_picture.h"

#include <string>

#include "core/error.h"

namespace zelk::control {

void checkPictureSize(uint64_t width, uint64_t height, const PictureLimits& limits) {
    const auto maxSide = static_cast<uint64_t>(limits.maxSide);
    if (width < 1 || height < 1 || width > maxSide || height > maxSide || width * height > limits.maxPixels) {
        throw Error("EInvalidGraphic", "picture of " + std::to_string(width) + " x " + std::to_string(height) +
                                           " pixels refused (at most " + std::to_string(limits.maxSide) +
                                           " per side and " + std::to_string(limits.maxPixels) + " pixels)");
    }
}

}  // namespace zelk::control
