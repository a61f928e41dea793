#pragma once
// The still-picture decoder of the POSIX build: PNG through libpng, JPEG
// through libjpeg-turbo, told apart by their signatures, not by the name.
#include "control/still_picture.h"

namespace zelk::control {

class PosixStillPictureDecoder final : public StillPictureDecoder {
public:
    explicit PosixStillPictureDecoder(const PictureLimits& limits = {}) : limits_(limits) {}
    StillPicture decode(std::span<const uint8_t> data) override;

private:
    PictureLimits limits_;
};

}  // namespace zelk::control
