// The GIF animation's cost per GiFTimer tick (compose, reduce to the halftone
// palette, build and send the 128x32 frame) and the cost of starting an
// animation (read, decode, prepare the palette reduction), for GIFs of the
// DMD's size, twice that, and 640x480. The files come from memory: the
// figures leave out the disk.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "control/timing/manual_timer.h"
#include "control/media/media_player.h"
#include "core/error.h"
#include "core/halftone_palette.h"
#include "tests/control/media/gif_writer.h"

namespace {

using namespace zelk;

class MemoryFiles final : public control::FileSystem {
public:
    std::map<std::string, std::vector<uint8_t>> files;
    std::vector<control::FoundEntry> search(const std::string&) override { return {}; }
    bool fileExists(const std::string& path) override { return files.count(path) != 0; }
    std::vector<uint8_t> readFile(const std::string& path, size_t) override { return files.at(path); }
    std::string_view folderDelimiters() const override { return "/"; }
};

class NoPictures final : public control::StillPictureDecoder {
public:
    control::StillPicture decode(std::span<const uint8_t>) override { throw Error("E", "unused"); }
};

class DiscardingDevice final : public control::DmdDevice {
public:
    void Open() override {}
    void PM_GameSettings(const char*, uint64_t, const void*) override {}
    void Render_RGB24(uint16_t, uint16_t, const uint8_t* frame) override { benchmark::DoNotOptimize(frame[0]); }
    void Close() override {}
};

// Eight frames of a colour gradient, each shifted, so every frame differs and
// has many distinct colours to reduce.
std::vector<uint8_t> gradientGif(int width, int height) {
    test::GifDescription gif;
    gif.width = width;
    gif.height = height;
    gif.loopCount = 0;
    for (int i = 0; i < 256; ++i) {
        gif.globalPalette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                      static_cast<uint8_t>((i * 7) & 255)});
    }
    for (int f = 0; f < 8; ++f) {
        test::GifFrameDescription frame;
        frame.width = width;
        frame.height = height;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) frame.indices.push_back(static_cast<uint8_t>(x + y + f * 16));
        }
        gif.frames.push_back(frame);
    }
    return test::writeGif(gif);
}

struct Rig {
    MemoryFiles files;
    NoPictures pictures;
    control::ManualTimer timer{100};
    DiscardingDevice device;
    control::MediaPlayer player{{files, pictures, timer, device, fixedHalftonePalette()}};

    Rig(int width, int height) { files.files["/m/anim.gif"] = gradientGif(width, height); }
};

void BM_GifTick(benchmark::State& state) {
    Rig rig(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    rig.player.StartAnimateGif("/m/anim.gif");
    for (auto _ : state) rig.player.GiFTimerTimer();
    state.SetLabel(std::to_string(state.range(0)) + "x" + std::to_string(state.range(1)));
}

void BM_GifStart(benchmark::State& state) {
    Rig rig(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        rig.player.StartAnimateGif("/m/anim.gif");
        rig.player.StopAnimatedGif();
    }
    state.SetLabel(std::to_string(state.range(0)) + "x" + std::to_string(state.range(1)) + ", 8 frames");
}

BENCHMARK(BM_GifTick)->Args({128, 32})->Args({256, 64})->Args({640, 480})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GifStart)->Args({128, 32})->Args({256, 64})->Args({640, 480})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
