// Runs the settings fuzz target over its corpus (tests/data/fuzz/ini_fuzz),
// each file whole and cut at every length.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "fuzz/ini_fuzz.h"
#include "tests/core/picture_compare.h"

namespace zelk {
namespace {

TEST(IniFuzzRegression, CorpusFilesWholeAndTruncated) {
    const std::filesystem::path folder = std::filesystem::path(ZELK_TESTDATA_DIR) / "fuzz" / "ini_fuzz";
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        ++files;
        const std::vector<uint8_t> bytes = test::readFileBytes(entry.path().string());
        for (size_t length = 0; length <= bytes.size(); ++length) {
            // A copy of exactly that length, so a sanitizer sees any read past it.
            const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
            try {
                ini_fuzz::fuzz(cut);
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
