// PNG through libpng, JPEG through libjpeg-turbo, told apart by their
// signatures, not by the name.
#include <algorithm>
#include <array>

#include "control/media/posix/picture_codecs_posix.h"
#include "control/media/still_picture.h"
#include "core/error.h"

namespace zelk::control {
namespace {

constexpr std::array<uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr std::array<uint8_t, 3> kJpegSignature = {0xff, 0xd8, 0xff};

template <size_t N>
bool startsWith(std::span<const uint8_t> data, const std::array<uint8_t, N>& signature) {
    return data.size() >= N && std::equal(signature.begin(), signature.end(), data.begin());
}

class PosixStillPictureDecoder final : public StillPictureDecoder {
public:
    explicit PosixStillPictureDecoder(const PictureLimits& limits) : limits_(limits) {}

    StillPicture decode(std::span<const uint8_t> data) override {
        if (startsWith(data, kPngSignature)) return decodePng(data, limits_);
        if (startsWith(data, kJpegSignature)) return decodeJpeg(data, limits_);
        throw Error("EInvalidGraphic", "unknown picture format (neither PNG nor JPEG)");
    }

private:
    PictureLimits limits_;
};

}  // namespace

std::unique_ptr<StillPictureDecoder> makeStillPictureDecoder(const PictureLimits& limits) {
    return std::make_unique<PosixStillPictureDecoder>(limits);
}

}  // namespace zelk::control
