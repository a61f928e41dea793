// Runs the trigger-set fuzz target over its corpus, whole and cut short:
// tests/data/fuzz/trigger_set_fuzz holds the seeds written by
// fuzz/trigger_set_seeds.cpp, inputs kept from a minimised libFuzzer corpus,
// and any input that once broke a promise.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "fuzz/trigger_set_fuzz.h"

namespace zelk {
namespace {

TEST(TriggerSetFuzzRegression, CorpusFilesWholeAndTruncated) {
    const std::filesystem::path folder = std::filesystem::path(ZELK_TESTDATA_DIR) / "fuzz" / "trigger_set_fuzz";
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        ++files;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        // Every length through the first pictures' headers, then coarser steps.
        for (size_t length = 0; length <= bytes.size(); length += length < 300 ? 1 : 97) {
            const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
            try {
                trigger_set_fuzz::fuzz(cut);
            } catch (const std::exception& e) {
                ADD_FAILURE() << entry.path().filename() << " cut to " << length << " bytes: " << e.what();
                break;
            }
        }
        try {
            trigger_set_fuzz::fuzz(bytes);
        } catch (const std::exception& e) {
            ADD_FAILURE() << entry.path().filename() << ": " << e.what();
        }
    }
    EXPECT_GE(files, 8u) << "corpus missing in " << folder;
}

}  // namespace
}  // namespace zelk
