#pragma once
// Picture comparison for reader tests. On a mismatch the actual and expected
// pictures are written as BMP files to the test's working folder, so a person
// can look at them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "core/bmp_writer.h"

namespace zelk::test {

inline std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void writePicture(const Bitmap24& bitmap, const std::string& path) {
    const std::vector<uint8_t> bytes = writeBmp24(bitmap);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Every colour byte of actual within tolerance of expected; label names the
// files written on failure (label + "-actual.bmp", label + "-expected.bmp").
inline ::testing::AssertionResult samePicture(const Bitmap24& actual, const Bitmap24& expected,
                                              int tolerance, const std::string& label) {
    std::string problem;
    if (actual.width != expected.width || actual.height != expected.height ||
        actual.pixels.size() != expected.pixels.size()) {
        problem = "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height) +
                  ", expected " + std::to_string(expected.width) + "x" +
                  std::to_string(expected.height);
    } else {
        for (size_t i = 0; i < actual.pixels.size() && problem.empty(); ++i) {
            const int diff = std::abs(int{actual.pixels[i]} - int{expected.pixels[i]});
            if (diff > tolerance) {
                const size_t pixel = i / 3;
                problem = "pixel (" + std::to_string(pixel % static_cast<size_t>(actual.width)) +
                          ", " + std::to_string(pixel / static_cast<size_t>(actual.width)) +
                          ") byte " + std::to_string(i % 3) + " is " +
                          std::to_string(actual.pixels[i]) + ", expected " +
                          std::to_string(expected.pixels[i]) + " (tolerance " +
                          std::to_string(tolerance) + ")";
            }
        }
    }
    if (problem.empty()) return ::testing::AssertionSuccess();
    std::string safe = label;
    for (char& c : safe) {
        if (c == '/' || c == '\\' || c == ' ') c = '_';
    }
    writePicture(actual, safe + "-actual.bmp");
    writePicture(expected, safe + "-expected.bmp");
    return ::testing::AssertionFailure() << label << ": " << problem << " (pictures written as "
                                         << safe << "-actual.bmp / -expected.bmp)";
}

}  // namespace zelk::test
