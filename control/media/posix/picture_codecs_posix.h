#pragma once
// PNG and JPEG decoding for the POSIX still-picture decoder. Each refuses a
// picture beyond the limits before allocating its pixels and reports every
// library error as zelk::Error.
#include <cstdint>
#include <span>

#include "control/media/still_picture.h"

namespace zelk::control {

StillPicture decodePng(std::span<const uint8_t> data, const PictureLimits& limits);
StillPicture decodeJpeg(std::span<const uint8_t> data, const PictureLimits& limits);

}  // namespace zelk::control
