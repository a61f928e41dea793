// Differential test of the GIF decoder against Debian's giflib: wherever
// giflib's DGifSlurp decodes a file, our decoder yields the same frames:
// position, size, indices (de-interlaced), palette, transparent index and
// disposal. Files: the GIF fuzz corpus (tests/data/fuzz/gif_fuzz: builder
// GIFs and inputs kept from libFuzzer runs) and, when ZELK_GIF_AGREEMENT_DIR
// names a folder, every file in it (such as a fuzzer's working corpus).
// giflib is used here only; the product does not link it.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/gif.h"
#include "tests/core/picture_compare.h"

namespace zelk {
namespace {

struct MemoryInput {
    std::span<const uint8_t> bytes;
    size_t at = 0;
};

int readMemory(GifFileType* gif, GifByteType* to, int count) {
    auto* input = static_cast<MemoryInput*>(gif->UserData);
    const size_t n = std::min(static_cast<size_t>(count), input->bytes.size() - input->at);
    std::memcpy(to, input->bytes.data() + input->at, n);
    input->at += n;
    return static_cast<int>(n);
}

struct GiflibFile {
    GifFileType* gif = nullptr;
    ~GiflibFile() {
        int error = 0;
        if (gif) DGifCloseFile(gif, &error);
    }
};

std::vector<gif::Color> paletteOf(const ColorMapObject* map) {
    std::vector<gif::Color> colors;
    if (!map) return colors;
    for (int i = 0; i < map->ColorCount; ++i) {
        colors.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    }
    return colors;
}

bool samePalette(const std::vector<gif::Color>& a, const std::vector<gif::Color>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const gif::Color& x, const gif::Color& y) {
        return x.red == y.red && x.green == y.green && x.blue == y.blue;
    });
}

// giflib's control block of a frame, or nullopt where the two readings
// differ on purpose (docs/reliability.md): giflib takes the first control
// block before a frame, reads only blocks of exactly 4 bytes, and keeps one
// that belongs to a plain-text block; our decoder takes the last one, reads
// longer ones too, and lets a plain-text block take its control block along.
std::optional<GraphicsControlBlock> controlOf(const SavedImage& image) {
    GraphicsControlBlock control{};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    const ExtensionBlock* found = nullptr;
    for (int i = 0; i < image.ExtensionBlockCount; ++i) {
        const ExtensionBlock& block = image.ExtensionBlocks[i];
        if (block.Function == GRAPHICS_EXT_FUNC_CODE && found) return std::nullopt;
        if (block.Function == PLAINTEXT_EXT_FUNC_CODE && found) return std::nullopt;
        if (block.Function == GRAPHICS_EXT_FUNC_CODE) found = &block;
    }
    if (!found) return control;
    if (found->ByteCount != 4) return std::nullopt;
    DGifExtensionToGCB(4, found->Bytes, &control);
    return control;
}

// The first difference between giflib's reading and ours, or "".
std::string difference(const GifFileType& theirs, const gif::Image& ours, int& controlsSkipped) {
    if (static_cast<size_t>(theirs.ImageCount) != ours.frames.size()) {
        return "frame count " + std::to_string(theirs.ImageCount) + " vs " + std::to_string(ours.frames.size());
    }
    for (int i = 0; i < theirs.ImageCount; ++i) {
        const SavedImage& t = theirs.SavedImages[i];
        const gif::Frame& o = ours.frames[static_cast<size_t>(i)];
        const std::string at = "frame " + std::to_string(i) + ": ";
        const GifImageDesc& d = t.ImageDesc;
        if (d.Left != o.left || d.Top != o.top || d.Width != o.width || d.Height != o.height) return at + "rectangle";
        const auto* bits = reinterpret_cast<const uint8_t*>(t.RasterBits);
        if (!std::equal(o.indices.begin(), o.indices.end(), bits, bits + o.indices.size())) return at + "indices";
        if (!samePalette(paletteOf(d.ColorMap ? d.ColorMap : theirs.SColorMap), o.palette)) return at + "palette";
        const std::optional<GraphicsControlBlock> control = controlOf(t);
        if (!control) {
            ++controlsSkipped;
            continue;
        }
        if (control->TransparentColor != o.transparentIndex) return at + "transparent index";
        // Methods 4 to 7 are undefined; the decoder reads them as 0 (docs/reliability.md).
        const int disposal = control->DisposalMode <= 3 ? control->DisposalMode : 0;
        if (disposal != static_cast<int>(o.disposal)) return at + "disposal";
    }
    return "";
}

struct Tally {
    int compared = 0, giflibRefused = 0, refusedOnPurpose = 0, controlsSkipped = 0;
};

void checkFile(const std::filesystem::path& path, Tally& tally) {
    const std::vector<uint8_t> bytes = test::readFileBytes(path.string());
    MemoryInput input{bytes};
    int error = 0;
    GiflibFile theirs{DGifOpen(&input, readMemory, &error)};
    if (!theirs.gif || DGifSlurp(theirs.gif) != GIF_OK) {
        ++tally.giflibRefused;
        return;
    }
    gif::Image ours;
    try {
        ours = gif::decode(bytes);
    } catch (const Error& e) {
        // Refused on purpose (docs/reliability.md): an empty logical screen,
        // sizes beyond the decoder's limits.
        const std::string why = e.what();
        if (theirs.gif->SWidth == 0 || theirs.gif->SHeight == 0 || why.find("exceed") != std::string::npos) {
            ++tally.refusedOnPurpose;
            return;
        }
        ADD_FAILURE() << path << ": giflib decodes it, we refuse: " << why;
        return;
    }
    ++tally.compared;
    const std::string differs = difference(*theirs.gif, ours, tally.controlsSkipped);
    EXPECT_EQ(differs, "") << path;
}

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() != ".md") files.push_back(entry.path());
    }
    return files;
}

TEST(GiflibAgreement, EveryFrameOfEveryFileGiflibDecodes) {
    std::vector<std::filesystem::path> files =
        filesIn(std::filesystem::path(ZELK_TESTDATA_DIR) / "fuzz" / "gif_fuzz");
    if (const char* extra = std::getenv("ZELK_GIF_AGREEMENT_DIR")) {
        const std::vector<std::filesystem::path> more = filesIn(extra);
        files.insert(files.end(), more.begin(), more.end());
    }
    Tally tally;
    for (const auto& path : files) checkFile(path, tally);
    std::cout << files.size() << " files: " << tally.compared << " compared, " << tally.giflibRefused
              << " refused by giflib, " << tally.refusedOnPurpose << " refused by us on purpose; "
              << tally.controlsSkipped << " frames' control blocks read differently on purpose\n";
    EXPECT_GE(tally.compared, 5) << "too few files that giflib decodes";
}

}  // namespace
}  // namespace zelk
