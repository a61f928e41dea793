// BMP reading of a DMD-sized trigger picture (128x32) in the depths a media
// pack may use, next to a plain copy of the same pixel bytes (the floor).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"

namespace {

constexpr int32_t kWidth = 128;
constexpr int32_t kHeight = 32;

zelk::Bitmap24 dmdPicture() {
    zelk::Bitmap24 bitmap(kWidth, kHeight);
    for (size_t i = 0; i < bitmap.pixels.size(); ++i) {
        bitmap.pixels[i] = (i / 3) % 7 == 0 ? 0xF0 : 0x00;
    }
    return bitmap;
}

// A file of the given depth (8 bits: a 256-entry grey palette) holding the
// picture's first channel.
std::vector<uint8_t> fileOfDepth(uint16_t bits) {
    if (bits == 24) return zelk::writeBmp24(dmdPicture());
    const size_t stride = (static_cast<size_t>(kWidth) * bits + 31) / 32 * 4;
    const size_t palette = bits == 8 ? 1024 : 0;
    const size_t offset = 54 + palette;
    std::vector<uint8_t> file(offset + stride * kHeight, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(10, static_cast<uint32_t>(offset));
    put32(14, 40);
    put32(18, kWidth);
    put32(22, kHeight);
    file[26] = 1;
    file[28] = static_cast<uint8_t>(bits);
    for (size_t i = 0; i < palette / 4; ++i) {
        file[54 + i * 4] = file[55 + i * 4] = file[56 + i * 4] = static_cast<uint8_t>(i);
    }
    const zelk::Bitmap24 picture = dmdPicture();
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            const uint8_t value = picture.row(y)[x * 3];
            uint8_t* p = file.data() + offset + static_cast<size_t>(kHeight - 1 - y) * stride +
                         static_cast<size_t>(x) * bits / 8;
            std::memset(p, value, bits / 8);
        }
    }
    return file;
}

void BM_ReadBmp(benchmark::State& state) {
    const std::vector<uint8_t> file = fileOfDepth(static_cast<uint16_t>(state.range(0)));
    for (auto _ : state) {
        zelk::Bitmap24 bitmap = zelk::readBmp(file, "bench.bmp");
        benchmark::DoNotOptimize(bitmap.pixels.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 3);
}
BENCHMARK(BM_ReadBmp)->Arg(8)->Arg(16)->Arg(24)->Arg(32);

void BM_CopyPixelsFloor(benchmark::State& state) {
    const std::vector<uint8_t> source(static_cast<size_t>(kWidth) * kHeight * 3, 0x5A);
    std::vector<uint8_t> copy(source.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), source.data(), source.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 3);
}
BENCHMARK(BM_CopyPixelsFloor);

}  // namespace
BENCHMARK_MAIN();
