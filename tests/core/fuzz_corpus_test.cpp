// Runs every fuzz target's function over its corpus, each file whole and cut
// short, as an ordinary test (natively, under the sanitizers and under Wine).
// A corpus holds seeds made by the repository, small inputs kept from a
// minimised libFuzzer run, and every input that once made a target fail; the
// BMP target also reads the bmpsuite files.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz/bmp_fuzz.h"
#include "fuzz/driver_fuzz.h"
#include "fuzz/gif_fuzz.h"
#include "fuzz/ini_fuzz.h"
#include "fuzz/recording_fuzz.h"
#include "fuzz/trigger_set_fuzz.h"
#include "tests/core/picture_compare.h"

namespace zelk {
namespace {

struct Target {
    const char* name;
    std::function<void(std::span<const uint8_t>)> fuzz;
    std::vector<const char*> folders;  // below tests/data, searched recursively
    size_t minFiles;
    // Every length up to fineUntil (headers, where cuts matter most), then
    // steps of coarseStep through the rest.
    size_t fineUntil;
    size_t coarseStep;
};

std::vector<std::filesystem::path> corpus(const Target& target) {
    std::vector<std::filesystem::path> files;
    const std::filesystem::path root(ZELK_TESTDATA_DIR);
    for (const char* folder : target.folders) {
        if (!std::filesystem::is_directory(root / folder)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            if (entry.is_regular_file() && entry.path().extension() != ".md") files.push_back(entry.path());
        }
    }
    return files;
}

// Runs the target once; false after reporting a failure.
bool runs(const Target& target, const std::vector<uint8_t>& bytes, const std::string& what) {
    try {
        target.fuzz(bytes);
        return true;
    } catch (const std::exception& e) {
        ADD_FAILURE() << target.name << ", " << what << ": " << e.what();
        return false;
    }
}

TEST(FuzzCorpus, EveryTargetTakesItsFilesWholeAndCutShort) {
    const std::vector<Target> targets = {
        {"bmp_fuzz", bmp_fuzz::fuzz, {"bmpsuite", "fuzz/bmp_fuzz"}, 90, 160, 997},
        {"gif_fuzz", gif_fuzz::fuzz, {"fuzz/gif_fuzz"}, 5, 600, 37},
        {"ini_fuzz", ini_fuzz::fuzz, {"fuzz/ini_fuzz"}, 5, 4096, 1},
        {"trigger_set_fuzz", trigger_set_fuzz::fuzz, {"fuzz/trigger_set_fuzz"}, 8, 300, 97},
        {"recording_fuzz", recording_fuzz::fuzz, {"fuzz/recording_fuzz"}, 8, 200, 61},
        {"driver_fuzz", driver_fuzz::fuzz, {"fuzz/driver_fuzz"}, 8, 48, 29},
    };
    for (const Target& target : targets) {
        const std::vector<std::filesystem::path> files = corpus(target);
        EXPECT_GE(files.size(), target.minFiles) << target.name << ": corpus missing";
        for (const auto& path : files) {
            const std::vector<uint8_t> bytes = test::readFileBytes(path.string());
            const std::string name = path.filename().string();
            for (size_t length = 0; length < bytes.size();
                 length += length < target.fineUntil ? 1 : target.coarseStep) {
                // A copy of exactly that length, so a sanitizer sees any read past it.
                const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
                if (!runs(target, cut, name + " cut to " + std::to_string(length) + " bytes")) break;
            }
            runs(target, bytes, name);
        }
    }
}

}  // namespace
}  // namespace zelk
