// Runs the BMP fuzz target over its corpus, whole and cut short: the bmpsuite
// files and tests/data/fuzz/bmp_fuzz (small inputs kept from a minimised
// libFuzzer corpus, and any input that once made the reader fail).
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz/bmp_fuzz.h"
#include "tests/core/picture_compare.h"

namespace zelk {
namespace {

std::vector<std::filesystem::path> corpus() {
    std::vector<std::filesystem::path> files;
    const std::filesystem::path root(ZELK_TESTDATA_DIR);
    for (const char* folder : {"bmpsuite", "fuzz/bmp_fuzz"}) {
        if (!std::filesystem::is_directory(root / folder)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            if (entry.is_regular_file() && entry.path().extension() != ".md") files.push_back(entry.path());
        }
    }
    return files;
}

TEST(BmpFuzzRegression, CorpusFilesWholeAndTruncated) {
    const std::vector<std::filesystem::path> files = corpus();
    ASSERT_GT(files.size(), 90u) << "corpus missing";
    for (const auto& path : files) {
        const std::vector<uint8_t> bytes = test::readFileBytes(path.string());
        // Every length through the headers and masks, then coarser steps
        // through palettes and pixel data (hand-built files in
        // bmp_reader_test.cpp are cut at every length).
        for (size_t length = 0; length < bytes.size(); length += length < 160 ? 1 : length < 2048 ? 13 : 997) {
            // A copy of exactly that length, so a sanitizer sees any read past it.
            const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
            try {
                bmp_fuzz::fuzz(cut);
            } catch (const std::exception& e) {
                ADD_FAILURE() << path.filename() << " cut to " << length << " bytes: " << e.what();
                break;
            }
        }
        try {
            bmp_fuzz::fuzz(bytes);
        } catch (const std::exception& e) {
            ADD_FAILURE() << path.filename() << ": " << e.what();
        }
    }
}

}  // namespace
}  // namespace zelk
