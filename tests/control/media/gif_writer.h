#pragma once
// Builds GIF89a files for the tests. The LZW stream holds only literal codes
// and restarts with a clear code before the code width would grow, which
// every conforming decoder must read.
#include <cstdint>
#include <optional>
#include <vector>

namespace zelk::test {

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
};

struct GifFrameDescription {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> indices;   // width * height
    std::vector<Rgb> localPalette;  // empty: the global one
    int transparentIndex = -1;
    int disposal = 0;
};

struct GifDescription {
    int width = 0, height = 0;
    std::vector<Rgb> globalPalette;
    uint8_t backgroundIndex = 0;
    std::optional<uint16_t> loopCount;
    std::vector<GifFrameDescription> frames;
};

std::vector<uint8_t> writeGif(const GifDescription& gif);

// A GIF of full-screen frames, each filled with one colour of `colours`.
GifDescription solidFramesGif(int width, int height, const std::vector<Rgb>& colours,
                       std::optional<uint16_t> loopCount);

}  // namespace zelk::test
