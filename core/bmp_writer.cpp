#include "core/bmp_writer.h"

#include <cstring>

namespace zelk {
namespace {

void put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    put16(out, at, v & 0xFFFFu);
    put16(out, at + 2, v >> 16);
}

}  // namespace

std::vector<uint8_t> writeBmp24(const Bitmap24& bitmap, bool topDown) {
    constexpr size_t kHeaderSize = 14 + 40;
    const size_t rowBytes = (bitmap.stride() + 3) & ~size_t{3};
    const size_t imageSize = rowBytes * static_cast<size_t>(bitmap.height);
    std::vector<uint8_t> out(kHeaderSize + imageSize, 0);

    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, static_cast<uint32_t>(out.size()));
    put32(out, 10, kHeaderSize);
    put32(out, 14, 40);
    put32(out, 18, static_cast<uint32_t>(bitmap.width));
    // A negative height marks a top-down picture.
    const int32_t height = topDown ? -bitmap.height : bitmap.height;
    put32(out, 22, static_cast<uint32_t>(height));
    put16(out, 26, 1);
    put16(out, 28, 24);
    put32(out, 34, static_cast<uint32_t>(imageSize));

    for (int32_t y = 0; y < bitmap.height; ++y) {
        const int32_t fileRow = topDown ? y : bitmap.height - 1 - y;
        if (bitmap.stride() > 0) {
            std::memcpy(out.data() + kHeaderSize + static_cast<size_t>(fileRow) * rowBytes,
                        bitmap.row(y), bitmap.stride());
        }
    }
    return out;
}

}  // namespace zelk
