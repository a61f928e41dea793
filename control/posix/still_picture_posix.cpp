#include "control/posix/still_picture_posix.h"

#include <algorithm>
#include <array>
#include <string>

#include "control/posix/jpeg_decode.h"
#include "control/posix/png_decode.h"
#include "core/error.h"

namespace zelk::control {
namespace {

constexpr std::array<uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr std::array<uint8_t, 3> kJpegSignature = {0xff, 0xd8, 0xff};

template <size_t N>
bool startsWith(std::span<const uint8_t> data, const std::array<uint8_t, N>& signature) {
    return data.size() >= N && std::equal(signature.begin(), signature.end(), data.begin());
}

}  // namespace

void checkPictureSize(uint64_t width, uint64_t height, const PictureLimits& limits) {
    if (width < 1 || height < 1 || width > static_cast<uint64_t>(limits.maxSide) ||
        height > static_cast<uint64_t>(limits.maxSide) || width * height > limits.maxPixels) {
        throw Error("EInvalidGraphic", "picture of " + std::to_string(width) + " x " +
                                           std::to_string(height) + " pixels refused (at most " +
                                           std::to_string(limits.maxSide) + " per side and " +
                                           std::to_string(limits.maxPixels) + " pixels)");
    }
}

StillPicture PosixStillPictureDecoder::decode(std::span<const uint8_t> data) {
    if (startsWith(data, kPngSignature)) return decodePng(data, limits_);
    if (startsWith(data, kJpegSignature)) return decodeJpeg(data, limits_);
    throw Error("EInvalidGraphic", "unknown picture format (neither PNG nor JPEG)");
}

}  // namespace zelk::control
