#pragma once
// The preview's picture, drawn without the system: the frame bitmap enlarged
// by a whole-number scale into 32-bit pixels (0x00RRGGBB, which is the byte
// order B, G, R, unused of a 32-bit DIB), each dot a square or a round dot
// with a dark gap. The window blits the result; the benchmark and the tests
// run it natively.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/bitmap24.h"

namespace zelk::device {

constexpr int kMinPreviewScale = 1;
constexpr int kMaxPreviewScale = 16;
// The enlarged picture's longest side: a larger frame is shown at the
// largest scale that keeps within it (down to 1).
constexpr int kMaxPreviewSide = 8192;

int fittingScale(int frameWidth, int frameHeight, int scale);

class PreviewRaster {
public:
    // Recomputes the dot stamp only when the look changes. A scale outside
    // 1 to 16 is taken as 1.
    void setLook(int scale, bool dots);
    int scale() const { return scale_; }

    // target: (frame.width * scale) x (frame.height * scale) pixels, rows
    // from the top, stridePixels apart.
    void draw(const Bitmap24& frame, uint32_t* target, size_t stridePixels) const;

    // The share of a dot's cell pixel the dot covers, 0 to 256 (for the tests).
    int weight(int x, int y) const { return stamp_[static_cast<size_t>(y * scale_ + x)]; }

private:
    void drawRow(const uint8_t* frameRow, int32_t width, int stampRow, uint32_t* out) const;

    int scale_ = 1;
    bool dots_ = false;
    // scale * scale weights of one cell, 256 where the dot covers the pixel
    // whole; all 256 for squares.
    std::vector<uint16_t> stamp_{256};
    std::vector<bool> darkRow_{false};  // stamp rows of the gap only
};

}  // namespace zelk::device
