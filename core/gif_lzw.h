#pragma once
// The variable-length-code LZW of GIF image data (codes of at most 12 bits,
// clear and end codes, the table kept full once it reaches 4096 entries).
#include <cstddef>
#include <cstdint>
#include <span>

namespace zelk::gif {

// Decodes `data` (the image data sub-blocks joined, without their length
// bytes) into `out`. Returns the number of pixels written; it is less than
// out.size() when the stream ends early. Pixels beyond out.size() are ignored.
// Throws zelk::Error ("EGifError") on an invalid code or minimum code size.
size_t decodeLzw(std::span<const uint8_t> data, int minCodeSize, std::span<uint8_t> out);

}  // namespace zelk::gif
