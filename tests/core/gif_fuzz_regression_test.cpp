// Runs the GIF fuzz target over its corpus, whole and cut short:
// tests/data/fuzz/gif_fuzz holds GIFs made by the test builder, small inputs
// kept from a minimised libFuzzer corpus, and every input that once made the
// decoder or compositor fail.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz/gif_fuzz.h"

namespace zelk {
namespace {

std::vector<uint8_t> readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(GifFuzzRegression, CorpusFilesWholeAndTruncated) {
    const std::filesystem::path folder = std::filesystem::path(ZELK_TESTDATA_DIR) / "fuzz" / "gif_fuzz";
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        ++files;
        const std::vector<uint8_t> bytes = readAll(entry.path());
        // Every length through the first 600 bytes, then coarser steps.
        for (size_t length = 0; length <= bytes.size(); length += length < 600 ? 1 : 37) {
            // A copy of exactly that length, so a sanitizer sees any read past it.
            const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
            try {
                gif_fuzz::fuzz(cut);
            } catch (const std::exception& e) {
                ADD_FAILURE() << entry.path().filename() << " cut to " << length << " bytes: " << e.what();
                break;
            }
        }
    }
    EXPECT_GE(files, 5u) << "corpus missing in " << folder;
}

}  // namespace
}  // namespace zelk
