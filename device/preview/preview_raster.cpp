#include "device/preview/preview_raster.h"

#include <algorithm>
#include <cstring>

namespace zelk::device {
namespace {

// Sub-samples per pixel and side when the stamp's edge is measured.
constexpr int kSubsamples = 8;

// The dark gap between dots, in pixels: about a fifth of the cell, at least
// one pixel so that neighbouring dots never touch.
int gapFor(int scale) { return std::max(1, (scale + 2) / 5); }

// Weights of a round dot filling the cell but for the gap at its right and
// bottom (the gap of the cell before it lies left and above), anti-aliased
// by counting sub-samples inside the circle.
std::vector<uint16_t> roundDot(int scale) {
    const double diameter = scale - gapFor(scale);
    const double centre = diameter / 2;
    const double radiusSquared = centre * centre;
    std::vector<int> inside(static_cast<size_t>(scale * scale));
    for (int y = 0; y < scale; ++y) {
        for (int x = 0; x < scale; ++x) {
            int& count = inside[static_cast<size_t>(y * scale + x)];
            for (int sy = 0; sy < kSubsamples; ++sy) {
                for (int sx = 0; sx < kSubsamples; ++sx) {
                    const double dx = x + (sx + 0.5) / kSubsamples - centre;
                    const double dy = y + (sy + 0.5) / kSubsamples - centre;
                    if (dx * dx + dy * dy <= radiusSquared) ++count;
                }
            }
        }
    }
    // The dot's fullest pixel shows the dot's own colour, also where the dot
    // is too small to cover a pixel whole (scale 2).
    const int full = *std::max_element(inside.begin(), inside.end());
    std::vector<uint16_t> stamp(inside.size());
    for (size_t i = 0; i < inside.size(); ++i) stamp[i] = static_cast<uint16_t>(inside[i] * 256 / full);
    return stamp;
}

// Colour times weight / 256 for all three channels in one multiplication:
// each channel sits in a 16-bit lane, where 255 * 256 cannot overflow.
inline uint64_t spread(const uint8_t* bgr) {
    return static_cast<uint64_t>(bgr[0]) | static_cast<uint64_t>(bgr[1]) << 16 | static_cast<uint64_t>(bgr[2]) << 32;
}

inline uint32_t weighted(uint64_t lanes, uint32_t weight) {
    const uint64_t v = (lanes * weight) >> 8;
    return static_cast<uint32_t>((v & 0xFF) | ((v >> 8) & 0xFF00) | ((v >> 16) & 0xFF0000));
}

}  // namespace

int fittingScale(int frameWidth, int frameHeight, int scale) {
    const int longest = std::max({frameWidth, frameHeight, 1});
    return std::clamp(std::min(scale, kMaxPreviewSide / longest), kMinPreviewScale, kMaxPreviewScale);
}

void PreviewRaster::setLook(int scale, bool dots) {
    if (scale < kMinPreviewScale || scale > kMaxPreviewScale) scale = 1;
    // One pixel per dot leaves no room for a gap: the dot is the pixel.
    dots = dots && scale > 1;
    if (scale == scale_ && dots == dots_) return;
    scale_ = scale;
    dots_ = dots;
    stamp_ = dots ? roundDot(scale) : std::vector<uint16_t>(static_cast<size_t>(scale * scale), 256);
    darkRow_.assign(static_cast<size_t>(scale), false);
    for (int y = 0; y < scale; ++y) {
        const auto row = stamp_.begin() + y * scale;
        darkRow_[static_cast<size_t>(y)] = std::all_of(row, row + scale, [](uint16_t w) { return w == 0; });
    }
}

void PreviewRaster::drawRow(const uint8_t* frameRow, int32_t width, int stampRow, uint32_t* out) const {
    // Locals throughout: the stores through out could alias the members.
    const int scale = scale_;
    if (scale == 1) {  // the plain preview: a loop the compiler vectorises
        for (int32_t x = 0; x < width; ++x) {
            out[x] = frameRow[x * 3] | frameRow[x * 3 + 1] << 8 | frameRow[x * 3 + 2] << 16;
        }
        return;
    }
    if (!dots_) {
        for (int32_t x = 0; x < width; ++x, frameRow += 3, out += scale) {
            const uint32_t colour = frameRow[0] | frameRow[1] << 8 | frameRow[2] << 16;
            for (int c = 0; c < scale; ++c) out[c] = colour;
        }
        return;
    }
    const uint16_t* weights = stamp_.data() + static_cast<size_t>(stampRow * scale);
    for (int32_t x = 0; x < width; ++x, frameRow += 3, out += scale) {
        if (x > 0 && std::memcmp(frameRow, frameRow - 3, 3) == 0) {
            // Runs of one colour (the dark background above all) repeat the
            // dot before instead of weighing it again.
            std::memcpy(out, out - scale, static_cast<size_t>(scale) * sizeof *out);
        } else {
            const uint64_t lanes = spread(frameRow);
            for (int c = 0; c < scale; ++c) out[c] = weighted(lanes, weights[c]);
        }
    }
}

void PreviewRaster::draw(const Bitmap24& frame, uint32_t* target, size_t stridePixels) const {
    const size_t rowPixels = static_cast<size_t>(frame.width) * static_cast<size_t>(scale_);
    for (int32_t y = 0; y < frame.height; ++y) {
        uint32_t* cell = target + static_cast<size_t>(y) * static_cast<size_t>(scale_) * stridePixels;
        for (int r = 0; r < scale_; ++r) {
            uint32_t* out = cell + static_cast<size_t>(r) * stridePixels;
            // Squares repeat their first row; a round dot is symmetric about
            // its middle row, so the lower half repeats the upper one.
            const int mirror = dots_ ? scale_ - gapFor(scale_) - 1 - r : 0;
            if (darkRow_[static_cast<size_t>(r)]) {
                std::memset(out, 0, rowPixels * sizeof *out);
            } else if (mirror >= 0 && mirror < r) {
                std::memcpy(out, cell + static_cast<size_t>(mirror) * stridePixels, rowPixels * sizeof *out);
            } else {
                drawRow(frame.row(y), frame.width, r, out);
            }
        }
    }
}

}  // namespace zelk::device
