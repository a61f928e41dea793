// trigger_set_seeds OUTDIR
//
// Writes the seed inputs of the trigger_set_fuzz target: the demo table's
// trigger pictures (tools/demo), and small sets drawn as text art that put
// outlines at the places the marker search treats specially. scripts/fuzz.sh
// runs it; its output is also kept in tests/data/fuzz/trigger_set_fuzz.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/trigger_set_fuzz.h"
#include "tools/demo/demo_scenes.h"

namespace {

using zelk::Bitmap24;
using namespace zelk::trigger_set_fuzz;
using Art = std::vector<std::string>;

// '#' lit, '.' dark, 'M' marker, 'o' dim, 'x' a colour the exact rule keeps.
Bitmap24 fromArt(const Art& art) {
    Bitmap24 picture(static_cast<int32_t>(art[0].size()), static_cast<int32_t>(art.size()));
    for (int32_t y = 0; y < picture.height; ++y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            uint8_t* p = picture.row(y) + static_cast<size_t>(x) * 3;
            switch (art[static_cast<size_t>(y)][static_cast<size_t>(x)]) {
                case '#': p[0] = p[1] = p[2] = 255; break;
                case 'M': p[0] = 253, p[1] = 0, p[2] = 253; break;
                case 'o': p[0] = p[1] = p[2] = 50; break;
                case 'x': p[0] = 1, p[1] = 2, p[2] = 4; break;
                default: break;
            }
        }
    }
    return picture;
}

struct Seed {
    const char* name;
    uint8_t flags;
    std::vector<Bitmap24> pictures;
};

std::vector<Seed> seeds() {
    const Bitmap24 screen = fromArt({"..........", ".##..#....", ".#.#.#.oo.", "..........", "....##...."});
    return {
        {"demo_table", 0, zelk::demo::triggerPictures()},
        {"outline_at_corner", 0,
         {fromArt({"MMMMMMMMMM..", "M#.......M..", "M..####..M..", "M........M..", "M.......#M..",
                   "MMMMMMMMMM..", "............"}),
          screen}},
        {"outline_to_right_border", 0, {screen, fromArt({"..MMMM", "..M#..", "..M...", "..M..#", "..M..."})}},
        {"stray_marker_first", 0,
         {screen, fromArt({"...M....", "........", ".MMMMM..", ".M#..M..", ".M...M..", ".MMMMM.."})}},
        {"runs_of_three", 0, {fromArt({"MMM...", "M.##..", "M.....", "M....."}), screen}},
        {"outside_picture_one", 0,
         {fromArt({"....", ".##.", "...."}), screen, fromArt({"....MMMM", "....M#.M", "....M..M", "....MMMM"})}},
        {"exact_rule_raw", kExactRule | kRawPixels,
         {fromArt({"xx.o#....", ".MMMM.x..", ".Mx#M....", ".M.oM..#.", ".MMMM...."}), fromArt({"x"}),
          fromArt({"#o", "ox"})}},
        {"one_dot_pictures", 0, {fromArt({"#"}), fromArt({"."}), fromArt({"M"})}},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: trigger_set_seeds OUTDIR\n", stderr);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);
    for (const Seed& seed : seeds()) {
        const std::vector<uint8_t> bytes = encode(seed.flags, seed.pictures);
        std::ofstream out(folder / (std::string(seed.name) + ".bin"), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "trigger_set_seeds: cannot write %s\n", seed.name);
            return 1;
        }
    }
    return 0;
}
