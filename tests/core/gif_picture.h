#pragma once
// Pictures for the GIF compositor tests, described as rows of letters (one
// letter a pixel, each letter a colour), and a comparison that writes the
// actual and expected pictures as BMP files into the working folder when
// they differ, so a person can look at them.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "core/bmp_writer.h"
#include "core/gif.h"

namespace zelk::test {

// Palette index i has the colour of letter kLetters[i].
inline const std::string kLetters = "krgbwycm";

inline std::vector<gif::Color> letterPalette() {
    return {{0, 0, 0},     {255, 0, 0},   {0, 255, 0},   {0, 0, 255},
            {255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
}

// Frame indices from letters; '.' stands for `dot` (the transparent index).
inline std::vector<uint8_t> lettersToIndices(const std::vector<std::string>& rows, uint8_t dot = 0) {
    std::vector<uint8_t> out;
    for (const std::string& row : rows) {
        for (char ch : row) {
            out.push_back(ch == '.' ? dot : static_cast<uint8_t>(kLetters.find(ch)));
        }
    }
    return out;
}

// An RGB canvas from letters.
inline std::vector<uint8_t> lettersToCanvas(const std::vector<std::string>& rows) {
    const auto palette = letterPalette();
    std::vector<uint8_t> out;
    for (const std::string& row : rows) {
        for (char ch : row) {
            const gif::Color c = palette.at(kLetters.find(ch));
            out.insert(out.end(), {c.red, c.green, c.blue});
        }
    }
    return out;
}

inline std::string canvasAsLetters(const std::vector<uint8_t>& rgb, int width) {
    const auto palette = letterPalette();
    std::string out;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        char letter = '?';
        for (size_t k = 0; k < palette.size(); ++k) {
            if (palette[k].red == rgb[i] && palette[k].green == rgb[i + 1] && palette[k].blue == rgb[i + 2]) {
                letter = kLetters[k];
            }
        }
        out += letter;
        if ((i / 3 + 1) % static_cast<size_t>(width) == 0) {
            out += ' ';
        }
    }
    return out;
}

inline void writeRgbAsBmp(const std::vector<uint8_t>& rgb, int width, int height, const std::string& path) {
    Bitmap24 bitmap(width, height);
    for (size_t i = 0; i + 2 < rgb.size() && i + 2 < bitmap.pixels.size(); i += 3) {
        bitmap.pixels[i] = rgb[i + 2];
        bitmap.pixels[i + 1] = rgb[i + 1];
        bitmap.pixels[i + 2] = rgb[i];
    }
    const auto file = writeBmp24(bitmap);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                static_cast<std::streamsize>(file.size()));
}

inline ::testing::AssertionResult samePicture(const gif::Compositor& compositor, const gif::Image& image,
                                              const std::vector<std::string>& expectedRows,
                                              const std::string& name) {
    const auto expected = lettersToCanvas(expectedRows);
    if (compositor.canvas() == expected) {
        return ::testing::AssertionSuccess();
    }
    writeRgbAsBmp(compositor.canvas(), image.width, image.height, name + "_actual.bmp");
    writeRgbAsBmp(expected, image.width, image.height, name + "_expected.bmp");
    return ::testing::AssertionFailure() << "picture differs at frame " << compositor.currentFrame()
                                         << ": " << canvasAsLetters(compositor.canvas(), image.width)
                                         << "; see " << name << "_actual.bmp and " << name
                                         << "_expected.bmp in the working folder";
}

}  // namespace zelk::test
