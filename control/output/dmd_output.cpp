#include "control/output/dmd_output.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "control/output/bilinear.h"
#include "core/error.h"
#include "dmddevice.h"

namespace zelk::control {

namespace {

using bilinear::AxisSample;

constexpr int32_t kMaxResizeSide = 65535;

struct Bgr {
    uint8_t blue, green, red;
};

// Per-format pixel fetch from a row of the caller's bitmap: as blue, green,
// red, or packed into 32 bits (blue in the low byte) for the resample.
// Palette pixels go through a table of packed colours made once per frame.
template <PixelFormat F>
struct Pixels;

template <>
struct Pixels<PixelFormat::Bgr24> {
    static constexpr size_t kBytes = 3;
    static Bgr at(const uint8_t* p, const PaletteEntry*) { return {p[0], p[1], p[2]}; }
    static uint32_t packed(const uint8_t* p, const uint32_t*) {
        return p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
    }
};

template <>
struct Pixels<PixelFormat::Bgra32> {
    static constexpr size_t kBytes = 4;
    static Bgr at(const uint8_t* p, const PaletteEntry*) { return {p[0], p[1], p[2]}; }  // alpha dropped
    static uint32_t packed(const uint8_t* p, const uint32_t*) {
        return p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
    }
};

template <>
struct Pixels<PixelFormat::Palette8> {
    static constexpr size_t kBytes = 1;
    static Bgr at(const uint8_t* p, const PaletteEntry* palette) {
        const PaletteEntry& e = palette[*p];
        return {e.blue, e.green, e.red};
    }
    static uint32_t packed(const uint8_t* p, const uint32_t* table) { return table[*p]; }
};

using PackedPalette = std::array<uint32_t, 256>;

PackedPalette packPalette(const PaletteEntry* palette) {
    PackedPalette table{};
    if (palette == nullptr) return table;
    for (size_t i = 0; i < 256; ++i)
        table[i] = palette[i].blue | static_cast<uint32_t>(palette[i].green) << 8 |
                   static_cast<uint32_t>(palette[i].red) << 16;
    return table;
}

size_t bytesPerPixel(PixelFormat format) {
    switch (format) {
        case PixelFormat::Palette8: return 1;
        case PixelFormat::Bgr24: return 3;
        case PixelFormat::Bgra32: return 4;
    }
    return 0;
}

// A view can be sampled when it is at least 2x2, has its pixels (and its
// palette), and its rows are long enough and addressable.
bool isSendable(const SourceBitmap& s) {
    if (s.width < 2 || s.height < 2 || s.pixels == nullptr) return false;
    const size_t bpp = bytesPerPixel(s.format);
    if (bpp == 0 || (s.format == PixelFormat::Palette8 && s.palette == nullptr)) return false;
    const uint64_t rowBytes = static_cast<uint64_t>(s.width) * bpp;
    if (s.stride < rowBytes) return false;
    const uint64_t limit = static_cast<uint64_t>(PTRDIFF_MAX);
    return static_cast<uint64_t>(s.stride) <= limit / static_cast<uint64_t>(s.height);
}

template <PixelFormat F>
void copyToFrame(const SourceBitmap& s, DmdFrame& frame) {
    uint8_t* out = frame.data();
    for (int32_t y = 0; y < kDmdHeight; ++y) {
        const uint8_t* row = s.pixels + static_cast<size_t>(y) * s.stride;
        for (int32_t x = 0; x < kDmdWidth; ++x) {
            const Bgr p = Pixels<F>::at(row + static_cast<size_t>(x) * Pixels<F>::kBytes, s.palette);
            *out++ = p.red;
            *out++ = p.green;
            *out++ = p.blue;
        }
    }
}

// Samples only the (at most 4 * 4096) source pixels the resample reads, in
// place: the caller's bitmap is neither copied nor converted.
template <PixelFormat F>
void resampleToFrame(const SourceBitmap& s, DmdFrame& frame) {
    AxisSample columns[kDmdWidth];
    AxisSample rows[kDmdHeight];
    bilinear::planAxis(s.width, kDmdWidth, columns);
    bilinear::planAxis(s.height, kDmdHeight, rows);
    size_t offset0[kDmdWidth];
    for (int32_t x = 0; x < kDmdWidth; ++x)
        offset0[x] = static_cast<size_t>(columns[x].index) * Pixels<F>::kBytes;

    const PackedPalette table =
        F == PixelFormat::Palette8 ? packPalette(s.palette) : PackedPalette{};
    uint8_t* out = frame.data();
    for (int32_t y = 0; y < kDmdHeight; ++y) {
        const uint8_t* row0 = s.pixels + static_cast<size_t>(rows[y].index) * s.stride;
        const uint8_t* row1 = row0 + s.stride;
        for (int32_t x = 0; x < kDmdWidth; ++x) {
            const size_t o0 = offset0[x];
            const size_t o1 = o0 + Pixels<F>::kBytes;
            const uint32_t mixed = bilinear::mixPixel(
                Pixels<F>::packed(row0 + o0, table.data()), Pixels<F>::packed(row1 + o0, table.data()),
                Pixels<F>::packed(row0 + o1, table.data()), Pixels<F>::packed(row1 + o1, table.data()),
                bilinear::weightsFor(columns[x], rows[y]));
            *out++ = bilinear::channel(mixed, 2);  // red
            *out++ = bilinear::channel(mixed, 1);
            *out++ = bilinear::channel(mixed, 0);
        }
    }
}

template <PixelFormat F>
void buildFrame(const SourceBitmap& s, DmdFrame& frame) {
    if (s.width == kDmdWidth && s.height == kDmdHeight)
        copyToFrame<F>(s, frame);
    else
        resampleToFrame<F>(s, frame);
}

Error resizeError(const std::string& reason) {
    return Error("EResizeError", "ResizeBilinear: " + reason);
}

}  // namespace

void OpenDmdDevice(DmdDevice& device) {
    device.Open();
    const tPMoptions options{};  // 76 zero bytes, alive for the call only
    device.PM_GameSettings("", 3, &options);
}

bool BuildDmdFrame(const SourceBitmap& source, DmdFrame& frame) noexcept {
    if (!isSendable(source)) return false;
    switch (source.format) {
        case PixelFormat::Palette8: buildFrame<PixelFormat::Palette8>(source, frame); return true;
        case PixelFormat::Bgr24: buildFrame<PixelFormat::Bgr24>(source, frame); return true;
        case PixelFormat::Bgra32: buildFrame<PixelFormat::Bgra32>(source, frame); return true;
    }
    return false;
}

void SendFrameToDmd(DmdDevice& device, const SourceBitmap& source) noexcept {
    try {
        DmdFrame frame;
        if (!BuildDmdFrame(source, frame)) return;
        device.Render_RGB24(static_cast<uint16_t>(kDmdWidth), static_cast<uint16_t>(kDmdHeight),
                            frame.data());
    } catch (...) {
        // A failing device drops the frame; the frame sources go on regardless.
    }
}

void ResizeBilinear(Bitmap24& bitmap, int32_t width, int32_t height) {
    const int32_t sourceWidth = bitmap.width, sourceHeight = bitmap.height;
    if (sourceWidth < 2 || sourceHeight < 2)
        throw resizeError("source of " + std::to_string(sourceWidth) + "x" +
                          std::to_string(sourceHeight) + " pixels is too small");
    if (bitmap.pixels.size() !=
        static_cast<size_t>(sourceWidth) * static_cast<size_t>(sourceHeight) * 3)
        throw resizeError("pixel buffer does not match the bitmap size");
    if (width < 1 || height < 1 || width > kMaxResizeSide || height > kMaxResizeSide)
        throw resizeError("target size " + std::to_string(width) + "x" + std::to_string(height) +
                          " is out of range");

    std::vector<AxisSample> columns(static_cast<size_t>(width));
    std::vector<AxisSample> rows(static_cast<size_t>(height));
    bilinear::planAxis(sourceWidth, width, columns.data());
    bilinear::planAxis(sourceHeight, height, rows.data());

    Bitmap24 target(width, height);
    const size_t stride = bitmap.stride();
    for (int32_t y = 0; y < height; ++y) {
        const AxisSample& r = rows[static_cast<size_t>(y)];
        const uint8_t* row0 = bitmap.row(r.index);
        const uint8_t* row1 = row0 + stride;
        uint8_t* out = target.row(y);
        for (int32_t x = 0; x < width; ++x) {
            const AxisSample& c = columns[static_cast<size_t>(x)];
            const uint8_t* a = row0 + static_cast<size_t>(c.index) * 3;
            const uint8_t* b = row1 + static_cast<size_t>(c.index) * 3;
            const uint32_t mixed = bilinear::mixPixel(
                Pixels<PixelFormat::Bgr24>::packed(a, nullptr),
                Pixels<PixelFormat::Bgr24>::packed(b, nullptr),
                Pixels<PixelFormat::Bgr24>::packed(a + 3, nullptr),
                Pixels<PixelFormat::Bgr24>::packed(b + 3, nullptr), bilinear::weightsFor(c, r));
            for (int k = 0; k < 3; ++k) *out++ = bilinear::channel(mixed, k);
        }
    }
    bitmap = std::move(target);
}

SourceBitmap viewOf(const Bitmap24& bitmap) noexcept {
    SourceBitmap view;
    view.width = bitmap.width;
    view.height = bitmap.height;
    view.format = PixelFormat::Bgr24;
    // A buffer that disagrees with the size gives a view that is never read.
    const bool consistent =
        bitmap.width > 0 && bitmap.height > 0 &&
        bitmap.pixels.size() ==
            static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height) * 3;
    view.pixels = consistent ? bitmap.pixels.data() : nullptr;
    view.stride = bitmap.stride();
    return view;
}

}  // namespace zelk::control
