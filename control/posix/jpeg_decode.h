#pragma once
#include <cstdint>
#include <span>

#include "control/still_picture.h"

namespace zelk::control {

StillPicture decodeJpeg(std::span<const uint8_t> data, const PictureLimits& limits);

}  // namespace zelk::control
