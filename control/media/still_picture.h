#pragma once
// The platform's still-picture decoder, behind one small interface: it
// recognises the format by content (JPEG and PNG at least) and delivers the
// first frame as 32-bit pixels.
#include <cstdint>
#include <memory>
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

// The platform's decoder. Windows: the imaging component (JPEG, PNG and
// whatever else the system has a codec for; the calling thread must have COM
// initialised, as the program's main thread has). POSIX: PNG through libpng,
// JPEG through libjpeg-turbo, told apart by their signatures.
std::unique_ptr<StillPictureDecoder> makeStillPictureDecoder(const PictureLimits& limits = {});

// What every decoder checks before it allocates pixels: throws zelk::Error
// when width x height is empty or exceeds the limits.
void checkPictureSize(uint64_t width, uint64_t height, const PictureLimits& limits);

}  // namespace zelk::control
