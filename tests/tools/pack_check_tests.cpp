// zelkdmd check's findings on small packs written to a folder of their own,
// through the plug-in's real file access: one case per finding.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/bmp_writer.h"
#include "device/entry/platform.h"
#include "tools/zelkdmd/pack_check.h"

namespace {

namespace fs = std::filesystem;
using zelk::Bitmap24;
using zelk::device::MaskRect;
using zelk::tools::Finding;
using zelk::tools::PackCheck;
using zelk::tools::Severity;

// '.' black, '#' white, 'M' marker 253,0,253, 'm' 253,0,252 as a lossy
// editor leaves it.
Bitmap24 picture(const std::vector<std::string>& art) {
    Bitmap24 bitmap(static_cast<int32_t>(art[0].size()), static_cast<int32_t>(art.size()));
    for (int32_t y = 0; y < bitmap.height; ++y) {
        for (int32_t x = 0; x < bitmap.width; ++x) {
            uint8_t* p = bitmap.row(y) + x * 3;  // B, G, R
            switch (art[y][x]) {
            case '#': p[0] = p[1] = p[2] = 255; break;
            case 'M': p[0] = 253, p[2] = 253; break;
            case 'm': p[0] = 252, p[2] = 253; break;
            default: break;
            }
        }
    }
    return bitmap;
}

std::string bmp(const std::vector<std::string>& art) {
    const std::vector<uint8_t> bytes = zelk::writeBmp24(picture(art));
    return std::string(bytes.begin(), bytes.end());
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::vector<std::string> kScreen = {"........", ".######.", "........", "..####.."};
const std::vector<std::string> kOutline = {
    "MMMMMM..", "M#...M..", "M..#.M..", "MMMMMM..", "........"};

struct Case {
    const char* what;
    std::map<std::string, std::string> files;  // name in the folder -> contents
    const char* kind;                          // expected finding
    const char* where;                         // on this file, or "" for the folder
    bool usable;
};

std::map<std::string, std::string> numbered(int count, const std::string& contents) {
    std::map<std::string, std::string> files;
    for (int n = 1; n <= count; ++n) files[std::to_string(n) + ".bmp"] = contents;
    return files;
}

std::vector<Case> cases() {
    const std::string screen = bmp(kScreen);
    std::map<std::string, std::string> over = numbered(500, screen);
    over["501.bmp"] = screen;
    return {
        {"gap", {{"1.bmp", screen}, {"2.bmp", screen}, {"4.bmp", screen}}, "gap", "", false},
        {"more than 500", over, "over-500", "", false},
        {"leading zero", {{"1.bmp", screen}, {"02.bmp", screen}}, "misnamed", "", false},
        {"no pictures", {{"readme.txt", "x"}}, "no-pictures", "", false},
        {"depth converted", {{"1.bmp", fileBytes(fs::path(ZELK_TESTDATA_DIR) / "bmpsuite/g/pal8.bmp")}},
         "converted", "1.bmp", true},
        {"refused", {{"1.bmp", screen}, {"2.bmp", "BM broken"}}, "refused", "2.bmp", false},
        {"refusal ends the game start", {{"1.bmp", screen}, {"2.bmp", "BM broken"}}, "start-fails", "", false},
        {"size differs", {{"1.bmp", screen}, {"2.bmp", bmp({"....", "..#."})}}, "size", "2.bmp", true},
        {"outside the live mask", {{"1.bmp", screen}, {"2.bmp", bmp({"..........", "..#......."})}},
         "outside", "2.bmp", false},
        {"no marker", {{"1.bmp", screen}}, "no-marker", "1.bmp", true},
        {"edge under 4", {{"1.bmp", bmp({"MMM.....", "M#......", "M.......", "M......."})}},
         "short-edge", "1.bmp", true},
        {"stray dot first", {{"1.bmp", bmp({"...M....", "MMMMMM..", "M#...M..", "M....M..", "MMMMMM.."})}},
         "stray-marker", "1.bmp", true},
        {"lossy marker colour", {{"1.bmp", bmp({"MMmMMM..", "M#...M..", "M....M..", "MMMMMM.."})}},
         "near-marker", "1.bmp", true},
        {"right edge elsewhere", {{"1.bmp", bmp({"MMMMM.M.", "M#....M.", "M.....M.", "MMMMMMM."})}},
         "right-edge", "1.bmp", true},
        {"bottom edge elsewhere", {{"1.bmp", bmp({"MMMMMM..", "M#...M..", "M....M..", "M....M..", "M.MMMM.."})}},
         "bottom-edge", "1.bmp", true},
        {"no lit dot", {{"1.bmp", screen}, {"2.bmp", bmp({"MMMMM...", "M...M...", "M...M...", "MMMMM..."})}},
         "no-lit-dot", "2.bmp", true},
        {"identical triggers", {{"1.bmp", screen}, {"2.bmp", bmp(kOutline)}, {"3.bmp", bmp(kOutline)}},
         "same-as", "3.bmp", true},
        {"exact rule off", {{"1.bmp", screen}}, "exact-colour", "", true},
    };
}

const std::vector<Finding>& findingsOf(const PackCheck& pack, const std::string& where) {
    if (where.empty()) return pack.findings;
    for (const auto& picture : pack.pictures) {
        if (picture.file == where) return picture.findings;
    }
    static const std::vector<Finding> none;
    return none;
}

std::string said(const PackCheck& pack) {
    std::string text;
    for (const Finding& f : pack.findings) text += "\n  " + f.kind + ": " + f.text;
    for (const auto& picture : pack.pictures) {
        for (const Finding& f : picture.findings) text += "\n  " + picture.file + " " + f.kind + ": " + f.text;
    }
    return text;
}

class PackCheckTest : public testing::Test {
protected:
    // A fresh game folder <work>/<name>/ZelkCapture holding files.
    fs::path writePack(const std::string& name, const std::map<std::string, std::string>& files) {
        const fs::path folder = fs::current_path() / "pack_check_work" / name / "ZelkCapture";
        fs::remove_all(folder);
        fs::create_directories(folder);
        for (const auto& [file, contents] : files) std::ofstream(folder / file, std::ios::binary) << contents;
        return folder;
    }

    PackCheck check(const fs::path& folder) { return zelk::tools::checkPack(files_, folder.string()); }

    zelk::device::Files& files_ = zelk::device::hostPlatform().files;
};

TEST_F(PackCheckTest, EachFindingOnAPackThatHasIt) {
    int index = 0;
    for (const Case& c : cases()) {
        const PackCheck pack = check(writePack("case" + std::to_string(index++), c.files));
        const std::vector<Finding>& findings = findingsOf(pack, c.where);
        EXPECT_TRUE(std::any_of(findings.begin(), findings.end(), [&](const Finding& f) { return f.kind == c.kind; }))
            << c.what << ": no '" << c.kind << "' on '" << c.where << "'; said:" << said(pack);
        EXPECT_EQ(pack.usable(), c.usable) << c.what << said(pack);
    }
}

TEST_F(PackCheckTest, WhatTheGameStartLoads) {
    const PackCheck gap = check(writePack("loads_gap", {{"1.bmp", bmp(kScreen)}, {"2.bmp", bmp(kOutline)},
                                                        {"4.bmp", bmp(kScreen)}}));
    EXPECT_EQ(gap.loaded, 2);
    EXPECT_TRUE(gap.matchingOn);
    ASSERT_EQ(gap.pictures.size(), 2u);
    EXPECT_EQ(gap.pictures[1].region, (MaskRect{1, 1, 5, 3}));  // inside the outline
    EXPECT_FALSE(gap.pictures[1].wholePicture);
    EXPECT_EQ(gap.pictures[1].litDots, 2);
    EXPECT_EQ(gap.game, "loads_gap");
    EXPECT_EQ(gap.liveWidth, 8);

    const PackCheck refused = check(writePack("loads_refused", {{"1.bmp", bmp(kScreen)}, {"2.bmp", "BM"},
                                                                {"3.bmp", bmp(kScreen)}}));
    EXPECT_EQ(refused.loaded, 1);
    EXPECT_FALSE(refused.matchingOn);
    // Pictures after the refused one are still examined.
    ASSERT_EQ(refused.pictures.size(), 3u);
    EXPECT_TRUE(refused.pictures[2].read);
    EXPECT_EQ(refused.pictures[2].findings.at(0).kind, "not-loaded");
}

TEST_F(PackCheckTest, ExactColourRuleFollowsTheFile) {
    // Under the exact rule a dim dot is lit; under the threshold rule it is not.
    std::string dim = bmp({"...."});
    dim[54] = 1;  // blue of the first dot
    const PackCheck threshold = check(writePack("rule_off", {{"1.bmp", dim}}));
    const PackCheck exact = check(writePack("rule_on", {{"1.bmp", dim}, {"ExactColorMatch.txt", ""}}));
    EXPECT_FALSE(threshold.exactColorMatch);
    EXPECT_TRUE(exact.exactColorMatch);
    EXPECT_EQ(threshold.pictures[0].litDots, 0);
    EXPECT_EQ(exact.pictures[0].litDots, 1);
}

TEST_F(PackCheckTest, GameFolderOrItsTriggerFolder) {
    const fs::path folder = writePack("where", {{"1.bmp", bmp(kScreen)}});
    EXPECT_EQ(zelk::tools::triggerFolderFor(files_, folder.parent_path().string()), folder.string());
    EXPECT_EQ(zelk::tools::triggerFolderFor(files_, folder.string() + "/"), folder.string());
    EXPECT_EQ(zelk::tools::triggerFolderFor(files_, (folder / "1.bmp").string()), std::nullopt);
    const PackCheck other = check(folder.parent_path());  // not named ZelkCapture
    EXPECT_EQ(findingsOf(other, "")[0].kind, "folder-name");
}

}  // namespace
