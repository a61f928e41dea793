#pragma once
// The platform's still-picture decoder, behind one small interface: it
// recognises the format by content (JPEG and PNG at least) and delivers the
// first frame as 32-bit pixels. Windows uses its imaging component, POSIX
// libpng and libjpeg-turbo (control/posix).
#include <cstdint>
#include <span>
#include <vector>

namespace zelk::control {

struct StillPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;  // width * height * 4 bytes: blue, green, red, alpha; rows from the top
};

// Pictures are refused before their pixels are allocated when they exceed
// these: a DMD shows 128 x 32 dots, and nothing larger than a big photo is a
// sensible source.
struct PictureLimits {
    int32_t maxSide = 16384;
    uint64_t maxPixels = 32ull << 20;  // 128 MiB of 32-bit pixels
};

class StillPictureDecoder {
public:
    virtual ~StillPictureDecoder() = default;
    // Throws zelk::Error for an unknown format, corrupt or truncated data and
    // pictures beyond the limits.
    virtual StillPicture decode(std::span<const uint8_t> data) = 0;
};

}  // namespace zelk::control
