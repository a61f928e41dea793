// Reducing a captured window to the DMD's 128x32 against a memcpy of the same
// window's pixels, run side by side: the reduction must cost at most 1.5
// times the copy for a 1920x1080 window.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/area_average.h"

namespace {

std::vector<uint8_t> windowPixels(benchmark::State& state) {
    std::vector<uint8_t> bytes(static_cast<size_t>(state.range(0) * state.range(1)) * 4);
    std::mt19937 random(1);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

// Third argument: the row loops (zelk::AreaAverageLoops); a processor without
// them runs the best it has, which the label names.
void BM_AreaAverageTo128x32(benchmark::State& state) {
    const std::vector<uint8_t> bytes = windowPixels(state);
    const auto width = static_cast<int32_t>(state.range(0)), height = static_cast<int32_t>(state.range(1));
    const char* const names[] = {"plain", "sse2", "avx2", "avx512"};
    state.SetLabel(names[static_cast<int>(
        zelk::useAreaAverageLoops(static_cast<zelk::AreaAverageLoops>(state.range(2))))]);
    zelk::Bitmap24 target(128, 32);
    for (auto _ : state) {
        zelk::areaAverage({width, height, bytes.data(), static_cast<size_t>(width) * 4}, target);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    zelk::useAreaAverageLoops(zelk::AreaAverageLoops::avx512);
}

void BM_MemcpyWindow(benchmark::State& state) {
    const std::vector<uint8_t> bytes = windowPixels(state);
    std::vector<uint8_t> copy(bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

// The front-end's usual full-HD window, and a size that is no multiple of 128 x 32.
#define ZELK_WINDOWS Args({1920, 1080})->Args({1366, 768})
BENCHMARK(BM_AreaAverageTo128x32)->ArgsProduct({{1920}, {1080}, {0, 1, 2, 3}})->ArgsProduct({{1366}, {768}, {3}});
BENCHMARK(BM_MemcpyWindow)->ZELK_WINDOWS;

}  // namespace

BENCHMARK_MAIN();
