#pragma once
// The still-picture decoder of the Windows build: the Windows Imaging
// Component, which recognises the format by content (JPEG, PNG, and whatever
// else the system has a codec for) and converts the first frame to 32-bit
// BGRA. The calling thread must have COM initialised, as the program's main
// thread has.
#include "control/still_picture.h"

namespace zelk::control {

class WicStillPictureDecoder final : public StillPictureDecoder {
public:
    explicit WicStillPictureDecoder(const PictureLimits& limits = {}) : limits_(limits) {}
    StillPicture decode(std::span<const uint8_t> data) override;

private:
    PictureLimits limits_;
};

}  // namespace zelk::control
