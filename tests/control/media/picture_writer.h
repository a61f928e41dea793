#pragma once
// PNG and JPEG fixtures written with libpng and libjpeg-turbo themselves, so
// the decoder tests do not depend on our own decoding to make their inputs.
#include <cstdint>
#include <vector>

namespace zelk::test {

// rgba: width * height * 4 bytes, red, green, blue, alpha; rows from the top.
std::vector<uint8_t> writePng(int width, int height, const std::vector<uint8_t>& rgba);
// A 16-bit RGB PNG with no gAMA, sRGB or other colour chunk, written byte by
// byte (stored deflate blocks) because libpng's simplified writer always tags
// 16-bit data as linear. samples: width * height * channels, red, green,
// blue and, with 4 channels, alpha.
std::vector<uint8_t> writePng16Untagged(int width, int height, int channels,
                                        const std::vector<uint16_t>& samples);
// rgb: width * height * 3 bytes; grey: one byte per pixel.
std::vector<uint8_t> writeJpeg(int width, int height, const std::vector<uint8_t>& rgb, int quality = 95);
std::vector<uint8_t> writeGreyJpeg(int width, int height, const std::vector<uint8_t>& grey);

// A picture in four solid quarters (top-left, top-right, bottom-left,
// bottom-right), with a given alpha: block colours survive JPEG nearly intact.
std::vector<uint8_t> quartersRgba(int width, int height, const uint8_t colours[4][3], uint8_t alpha);

}  // namespace zelk::test
