#include "fuzz/bmp_fuzz.h"

#include <stdexcept>
#include <string>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/error.h"

namespace zelk::bmp_fuzz {

namespace {

void require(bool condition, const char* what) {
    if (!condition) throw std::logic_error(std::string("BMP reader broke a promise: ") + what);
}

}  // namespace

void fuzz(std::span<const uint8_t> data) {
    const BmpLimits limits;
    Bitmap24 bitmap;
    try {
        bitmap = readBmp(data, "fuzz.bmp", limits);
    } catch (const Error&) {
        return;  // refused cleanly
    }
    require(bitmap.width > 0 && bitmap.height > 0, "empty picture accepted");
    require(bitmap.width <= limits.maxSide && bitmap.height <= limits.maxSide, "side above the limit");
    require(bitmap.pixels.size() ==
                static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height) * 3,
            "pixel buffer size");
    // What was read must survive a write and a second read unchanged.
    const Bitmap24 again = readBmp(writeBmp24(bitmap, data.size() % 2 == 0), "fuzz-again.bmp", limits);
    require(again.width == bitmap.width && again.height == bitmap.height &&
                again.pixels == bitmap.pixels,
            "round trip through the BMP writer");
}

}  // namespace zelk::bmp_fuzz
