// GIF decode plus compose per frame, next to Debian's giflib decoding the same
// file (DGifSlurp from memory). giflib also encodes the test animations, so
// they are compressed as real tools compress them. giflib is only a yardstick
// here; the product does not link it.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "core/gif.h"

namespace {

constexpr int kFrames = 64;

// A DMD-like picture: sixteen shades of orange on black, blocky text
// scrolling from right to left and a ball bouncing across the display.
uint8_t dmdPixel(int x, int y, int t, int width, int height) {
    const int glyphW = width / 20, glyphH = height * 7 / 16;
    const int textTop = height / 8;
    const int sx = x + t * 2;
    if (y >= textTop && y < textTop + glyphH) {
        const int cell = sx / (glyphW + 1), gx = sx % (glyphW + 1), gy = (y - textTop) * 7 / glyphH;
        const unsigned seed = static_cast<unsigned>(cell) * 2654435761u;
        if (gx < glyphW && ((seed >> (gy * 4 + gx * 5 / glyphW)) & 1u)) {
            return 15;
        }
    }
    const double bx = (width - 1) * (0.5 + 0.45 * std::sin(t * 0.1));
    const double by = (height - 1) * (0.7 + 0.25 * std::cos(t * 0.23));
    const double d = std::hypot(x - bx, y - by) / (height / 5.0);
    if (d < 1.0) {
        return static_cast<uint8_t>(4 + (1.0 - d) * 11);
    }
    return y == height - 1 && (x + t) % 8 < 4 ? 3 : 0;
}

void write(std::vector<uint8_t>& out, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}

int sink(GifFileType* gif, const GifByteType* data, int length) {
    write(*static_cast<std::vector<uint8_t>*>(gif->UserData), data, static_cast<size_t>(length));
    return length;
}

void check(int result) {
    if (result != GIF_OK) throw std::runtime_error("giflib failed to encode the benchmark animation");
}

std::vector<uint8_t> makeAnimation(int width, int height) {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, sink, &error);
    if (!gif) throw std::runtime_error("EGifOpen failed");
    EGifSetGifVersion(gif, true);
    GifColorType colours[16];
    for (int i = 0; i < 16; ++i) {
        colours[i] = {static_cast<GifByteType>(i * 17), static_cast<GifByteType>(i * 9), 0};
    }
    ColorMapObject* map = GifMakeMapObject(16, colours);
    check(EGifPutScreenDesc(gif, width, height, 4, 0, map));
    GifFreeMapObject(map);

    check(EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE));
    check(EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0"));
    const GifByteType loop[3] = {1, 0, 0};
    check(EGifPutExtensionBlock(gif, 3, loop));
    check(EGifPutExtensionTrailer(gif));

    std::vector<GifPixelType> row(static_cast<size_t>(width));
    for (int t = 0; t < kFrames; ++t) {
        GraphicsControlBlock control{DISPOSE_DO_NOT, false, 4, NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension));
        check(EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                row[static_cast<size_t>(x)] = dmdPixel(x, y, t, width, height);
            }
            check(EGifPutLine(gif, row.data(), width));
        }
    }
    if (EGifCloseFile(gif, &error) != GIF_OK) throw std::runtime_error("EGifCloseFile failed");
    return out;
}

const std::vector<uint8_t>& animation(int width) {
    static const std::vector<uint8_t> small = makeAnimation(128, 32);
    static const std::vector<uint8_t> large = makeAnimation(256, 64);
    return width == 128 ? small : large;
}

void perFrame(benchmark::State& state, size_t bytes) {
    state.counters["per_frame"] = benchmark::Counter(
        kFrames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["file_bytes"] = static_cast<double>(bytes);
}

struct MemoryInput {
    const std::vector<uint8_t>* data;
    size_t at;
};

int readMemory(GifFileType* gif, GifByteType* buffer, int length) {
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    const size_t n = std::min(static_cast<size_t>(length), in->data->size() - in->at);
    std::memcpy(buffer, in->data->data() + in->at, n);
    in->at += n;
    return static_cast<int>(n);
}

// Both decoders must yield the same pixels, or the comparison means nothing.
bool sameAsGiflib(const std::vector<uint8_t>& file) {
    MemoryInput input{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&input, readMemory, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) return false;
    const zelk::gif::Image image = zelk::gif::decode(file);
    bool same = image.frames.size() == static_cast<size_t>(gif->ImageCount);
    for (size_t i = 0; same && i < image.frames.size(); ++i) {
        const auto& indices = image.frames[i].indices;
        same = std::memcmp(indices.data(), gif->SavedImages[i].RasterBits, indices.size()) == 0;
    }
    DGifCloseFile(gif, &error);
    return same;
}

void BM_ZelkDecodeAndCompose(benchmark::State& state) {
    const auto& file = animation(static_cast<int>(state.range(0)));
    if (!sameAsGiflib(file)) {
        state.SkipWithError("our decoder and giflib disagree on the animation");
        return;
    }
    for (auto _ : state) {
        const zelk::gif::Image image = zelk::gif::decode(file);
        zelk::gif::Compositor compositor(image);
        benchmark::DoNotOptimize(compositor.canvas().data());
        for (size_t i = 1; i < image.frames.size(); ++i) {
            compositor.advance();
            benchmark::DoNotOptimize(compositor.canvas().data());
        }
    }
    perFrame(state, file.size());
}

void BM_ZelkDecodeOnly(benchmark::State& state) {
    const auto& file = animation(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const zelk::gif::Image image = zelk::gif::decode(file);
        benchmark::DoNotOptimize(image.frames.data());
    }
    perFrame(state, file.size());
}

void BM_GiflibDecode(benchmark::State& state) {
    const auto& file = animation(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        MemoryInput input{&file, 0};
        int error = 0;
        GifFileType* gif = DGifOpen(&input, readMemory, &error);
        if (!gif || DGifSlurp(gif) != GIF_OK || gif->ImageCount != kFrames) {
            state.SkipWithError("giflib could not decode the animation");
            break;
        }
        benchmark::DoNotOptimize(gif->SavedImages[kFrames - 1].RasterBits);
        DGifCloseFile(gif, &error);
    }
    perFrame(state, file.size());
}

BENCHMARK(BM_ZelkDecodeAndCompose)->Arg(128)->Arg(256);
BENCHMARK(BM_ZelkDecodeOnly)->Arg(128)->Arg(256);
BENCHMARK(BM_GiflibDecode)->Arg(128)->Arg(256);

}  // namespace

BENCHMARK_MAIN();
