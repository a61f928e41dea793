// make_demo_game OUTDIR
//
// Writes the demo table "zelkdemo" for `zelkdmd replay`:
//   OUTDIR/media/ZelkVideos/zelkdemo/ZelkCapture/1.bmp .. 5.bmp   trigger pictures
//   OUTDIR/zelkdemo.rgb   a recording of 260 raw RGB24 frames of 128x32
//
// The data is made at build time rather than committed: the recording alone
// is over 3 MB, and the scenes below are easier to review than pictures.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/bmp_writer.h"
#include "tools/demo/demo_scenes.h"

namespace fs = std::filesystem;
using namespace zelk::demo;

namespace {

const char* const kGameName = "zelkdemo";

// One stretch of the recording: frames first..last (numbered from 1) show
// scene(frame). With the default MATCHRESET of 30 the plug-in re-arms the
// last trigger on frames 31, 62, 93, ... (every 31st frame), which the
// timeline uses: see demo/expected-replay.txt.
struct Stretch {
    int first, last;
    std::function<zelk::Bitmap24(int frame, Rgb lit)> scene;
};

zelk::Bitmap24 attract(int frame, Rgb lit) {
    const int step = (frame - 1) % 40;
    if (step < 12) return attractTitle(lit);
    if (step < 24) return attractHighScores(lit);
    return attractInsertCoin(step - 24, lit);
}

zelk::Bitmap24 playing(int frame, Rgb lit) {
    return playerScore(withCommas(1'250'000 + 10'000LL * frame), lit);
}

const std::vector<Stretch>& timeline() {
    static const std::vector<Stretch> stretches = {
        {1, 40, attract},                                   // matches nothing
        {41, 45, [](int, Rgb lit) { return multiball(lit); }},  // D1 once
        {46, 62, playing},
        // JACKPOT held for 70 frames under a counting value that is outside
        // its region: D2 on its first frame and on re-arming frames 93 and 124.
        {63, 132, [](int frame, Rgb lit) {
             return jackpot(withCommas(2'500'000 + 25'000LL * (frame - 63)), lit);
         }},
        {133, 156, playing},
        {157, 159, [](int, Rgb lit) { return ballSaved(lit); }},  // D4
        {160, 169, playing},
        // The same picture again, with no other trigger and no re-arming in
        // between: not sent a second time.
        {170, 172, [](int, Rgb lit) { return ballSaved(lit); }},
        {173, 180, playing},
        // Two regions on the DMD at once: each differs from the last trigger
        // sent, so D3 and D4 go out on every one of the three frames.
        {181, 183, [](int, Rgb lit) { return extraBall(true, lit); }},
        {184, 200, playing},
        {201, 230, [](int, Rgb lit) { return gameOver("3,120,000", lit); }},  // D5 at 201, 217
        {231, 260, attract},
    };
    return stretches;
}

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Bitmap rows are blue, green, red; a raw RGB24 frame is red, green, blue.
void appendRgb24(std::vector<uint8_t>& out, const zelk::Bitmap24& picture) {
    for (size_t at = 0; at < picture.pixels.size(); at += 3) {
        out.push_back(picture.pixels[at + 2]);
        out.push_back(picture.pixels[at + 1]);
        out.push_back(picture.pixels[at]);
    }
}

void makeDemo(const fs::path& outDir) {
    const fs::path captureFolder = outDir / "media" / "ZelkVideos" / kGameName / "ZelkCapture";
    fs::create_directories(captureFolder);
    const std::vector<zelk::Bitmap24> pictures = triggerPictures();
    for (size_t n = 0; n < pictures.size(); ++n) {
        writeFile(captureFolder / (std::to_string(n + 1) + ".bmp"), zelk::writeBmp24(pictures[n]));
    }

    std::vector<uint8_t> recording;
    for (const Stretch& stretch : timeline()) {
        for (int frame = stretch.first; frame <= stretch.last; ++frame) {
            // Alternate the lit shade frame by frame, as a fading host might.
            const Rgb lit = frame % 2 ? kLitDot : kLitDotDimmer;
            appendRgb24(recording, stretch.scene(frame, lit));
        }
    }
    writeFile(outDir / (std::string(kGameName) + ".rgb"), recording);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_demo_game OUTDIR\n", stderr);
        return 2;
    }
    try {
        makeDemo(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_demo_game: %s\n", e.what());
        return 1;
    }
    return 0;
}
