// SendFrameToDmd against a memcpy of the same source, run side by side: the
// frame must cost at most twice the copy of a 1920x1080 source.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "control/output/dmd_output.h"
#include "core/halftone_palette.h"

namespace {

using zelk::control::PixelFormat;
using zelk::control::SourceBitmap;

class CountingDevice : public zelk::control::DmdDevice {
public:
    void Open() override {}
    void PM_GameSettings(const char*, uint64_t, const void*) override {}
    void Render_RGB24(uint16_t, uint16_t, const uint8_t* frame) override {
        checksum += frame[0];
        benchmark::DoNotOptimize(checksum);
    }
    void Close() override {}
    unsigned checksum = 0;
};

size_t bytesPerPixel(PixelFormat format) {
    return format == PixelFormat::Palette8 ? 1 : format == PixelFormat::Bgr24 ? 3 : 4;
}

struct Source {
    std::vector<uint8_t> bytes;
    zelk::Palette256 palette{};
    SourceBitmap view;

    Source(int32_t width, int32_t height, PixelFormat format) {
        const size_t stride = static_cast<size_t>(width) * bytesPerPixel(format);
        bytes.resize(stride * static_cast<size_t>(height));
        std::mt19937 random(1);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
        palette = zelk::fixedHalftonePalette();
        view = {width, height, format, bytes.data(), stride, palette.data()};
    }
};

void sendFrame(benchmark::State& state, PixelFormat format) {
    const Source source(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)),
                        format);
    CountingDevice device;
    for (auto _ : state) zelk::control::SendFrameToDmd(device, source.view);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.bytes.size()));
}

void memcpySource(benchmark::State& state, PixelFormat format) {
    const Source source(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)),
                        format);
    std::vector<uint8_t> copy(source.bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), source.bytes.data(), source.bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.bytes.size()));
}

void BM_SendFrameToDmd_Bgra32(benchmark::State& s) { sendFrame(s, PixelFormat::Bgra32); }
void BM_Memcpy_Bgra32(benchmark::State& s) { memcpySource(s, PixelFormat::Bgra32); }
void BM_SendFrameToDmd_Bgr24(benchmark::State& s) { sendFrame(s, PixelFormat::Bgr24); }
void BM_Memcpy_Bgr24(benchmark::State& s) { memcpySource(s, PixelFormat::Bgr24); }
void BM_SendFrameToDmd_Palette8(benchmark::State& s) { sendFrame(s, PixelFormat::Palette8); }
void BM_Memcpy_Palette8(benchmark::State& s) { memcpySource(s, PixelFormat::Palette8); }

#define ZELK_SIZES Args({128, 32})->Args({256, 64})->Args({1920, 1080})
BENCHMARK(BM_SendFrameToDmd_Bgra32)->ZELK_SIZES;
BENCHMARK(BM_Memcpy_Bgra32)->ZELK_SIZES;
BENCHMARK(BM_SendFrameToDmd_Bgr24)->ZELK_SIZES;
BENCHMARK(BM_Memcpy_Bgr24)->ZELK_SIZES;
BENCHMARK(BM_SendFrameToDmd_Palette8)->ZELK_SIZES;
BENCHMARK(BM_Memcpy_Palette8)->ZELK_SIZES;

// The GIF animation quantises one composed frame per tick.
void BM_HalftoneQuantise(benchmark::State& state) {
    const zelk::HalftoneQuantiser quantiser(zelk::fixedHalftonePalette());
    const auto pixels = static_cast<size_t>(state.range(0) * state.range(1));
    std::vector<uint8_t> rgb(pixels * 3), indices(pixels);
    std::mt19937 random(2);
    for (uint8_t& b : rgb) b = static_cast<uint8_t>(random());
    for (auto _ : state) {
        quantiser.quantise(rgb, indices);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pixels));
}
BENCHMARK(BM_HalftoneQuantise)->Args({128, 32})->Args({256, 64});

void BM_HalftoneQuantiserSetUp(benchmark::State& state) {
    for (auto _ : state) {
        const zelk::HalftoneQuantiser quantiser(zelk::fixedHalftonePalette());
        benchmark::DoNotOptimize(quantiser.nearestIndex(1, 2, 3));
    }
}
BENCHMARK(BM_HalftoneQuantiserSetUp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
