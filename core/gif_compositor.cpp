// Frame compositing as GIF89a prescribes, kept apart from the decoder: the
// canvas, the disposal of the previous frame and the saved picture beneath a
// frame with disposal 3 live here.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/error.h"
#include "core/gif.h"

namespace zelk::gif {
namespace {

// The part of a frame inside the logical screen (frames may reach beyond it).
struct Clip {
    int32_t x0, y0, x1, y1;
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

int32_t clamp(int64_t v, int32_t high) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, 0, high));
}

Clip clip(const Frame& frame, const Image& image) {
    return {clamp(frame.left, image.width), clamp(frame.top, image.height),
            clamp(int64_t{frame.left} + frame.width, image.width),
            clamp(int64_t{frame.top} + frame.height, image.height)};
}

void checkImage(const Image& image) {
    if (image.width < 0 || image.height < 0) {
        throw Error("EGifError", "GIF: negative logical screen size");
    }
    for (size_t i = 0; i < image.frames.size(); ++i) {
        const Frame& f = image.frames[i];
        if (f.width < 0 || f.height < 0 ||
            f.indices.size() != static_cast<size_t>(f.width) * static_cast<size_t>(f.height)) {
            throw Error("EGifError", "GIF: frame " + std::to_string(i) + " has " +
                                         std::to_string(f.indices.size()) +
                                         " indices for its size");
        }
    }
}

}  // namespace

Compositor::Compositor(const Image& image) : image_(image) {
    checkImage(image);
    const size_t index = image.backgroundIndex;
    if (index < image.globalPalette.size()) {
        const Color c = image.globalPalette[index];
        background_[0] = c.red;
        background_[1] = c.green;
        background_[2] = c.blue;
    }
    canvas_.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3);
    for (size_t i = 0; i < canvas_.size(); i += 3) {
        std::memcpy(canvas_.data() + i, background_, 3);
    }
    if (!image.frames.empty()) {
        draw(image.frames[0]);
    }
}

const std::vector<uint8_t>& Compositor::canvas() const { return canvas_; }

int Compositor::currentFrame() const { return static_cast<int>(current_); }

void Compositor::advance() {
    const size_t count = image_.frames.size();
    if (count == 0) {
        return;
    }
    if (current_ + 1 < count) {
        dispose(image_.frames[current_]);
        ++current_;
        draw(image_.frames[current_]);
        return;
    }
    // At the last frame: a loop count of N allows N passes, 0 without end,
    // and a file without looping extension plays once.
    const uint16_t loops = image_.loopCount.value_or(1);
    if (loops != 0) {
        if (passesDone_ + 1 >= loops) {
            passesDone_ = loops;
            return;  // passes used up: stay on the last frame
        }
        ++passesDone_;
    }
    // Going back: the last frame's rectangle becomes background, whatever
    // its own disposal says.
    fillRect(image_.frames[current_], background_);
    current_ = 0;
    draw(image_.frames[0]);
}

void Compositor::dispose(const Frame& frame) {
    switch (frame.disposal) {
    case Disposal::Background:
        fillRect(frame, background_);
        break;
    case Disposal::Previous:
        restoreRect(frame);
        break;
    case Disposal::None:
    case Disposal::Keep:
        break;
    }
}

void Compositor::fillRect(const Frame& frame, const uint8_t* rgb) {
    const Clip c = clip(frame, image_);
    if (c.empty()) {
        return;
    }
    const auto stride = static_cast<size_t>(image_.width) * 3;
    for (int32_t y = c.y0; y < c.y1; ++y) {
        uint8_t* p = canvas_.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(c.x0) * 3;
        for (int32_t x = c.x0; x < c.x1; ++x, p += 3) {
            p[0] = rgb[0];
            p[1] = rgb[1];
            p[2] = rgb[2];
        }
    }
}

// Disposal 3 needs the pixels beneath the frame; only its clipped rectangle
// is kept.
void Compositor::saveRect(const Frame& frame) {
    const Clip c = clip(frame, image_);
    saved_.clear();
    if (c.empty()) {
        return;
    }
    const auto stride = static_cast<size_t>(image_.width) * 3;
    const auto rowBytes = static_cast<size_t>(c.x1 - c.x0) * 3;
    saved_.resize(rowBytes * static_cast<size_t>(c.y1 - c.y0));
    for (int32_t y = c.y0; y < c.y1; ++y) {
        std::memcpy(saved_.data() + static_cast<size_t>(y - c.y0) * rowBytes,
                    canvas_.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(c.x0) * 3,
                    rowBytes);
    }
}

void Compositor::restoreRect(const Frame& frame) {
    const Clip c = clip(frame, image_);
    if (c.empty()) {
        return;
    }
    const auto stride = static_cast<size_t>(image_.width) * 3;
    const auto rowBytes = static_cast<size_t>(c.x1 - c.x0) * 3;
    for (int32_t y = c.y0; y < c.y1; ++y) {
        std::memcpy(canvas_.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(c.x0) * 3,
                    saved_.data() + static_cast<size_t>(y - c.y0) * rowBytes, rowBytes);
    }
}

void Compositor::draw(const Frame& frame) {
    if (frame.disposal == Disposal::Previous) {
        saveRect(frame);
    }
    const Clip c = clip(frame, image_);
    if (c.empty()) {
        return;
    }
    // Every index maps to a colour; those beyond the palette draw black.
    uint8_t colors[256][3] = {};
    const size_t paletteSize = std::min<size_t>(frame.palette.size(), 256);
    for (size_t i = 0; i < paletteSize; ++i) {
        colors[i][0] = frame.palette[i].red;
        colors[i][1] = frame.palette[i].green;
        colors[i][2] = frame.palette[i].blue;
    }
    const int32_t transparent = frame.transparentIndex;
    const auto stride = static_cast<size_t>(image_.width) * 3;
    for (int32_t y = c.y0; y < c.y1; ++y) {
        const uint8_t* src = frame.indices.data() +
                             static_cast<size_t>(y - frame.top) * static_cast<size_t>(frame.width) +
                             static_cast<size_t>(c.x0 - frame.left);
        uint8_t* dst = canvas_.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(c.x0) * 3;
        for (int32_t x = c.x0; x < c.x1; ++x, ++src, dst += 3) {
            if (*src == transparent) {
                continue;
            }
            const uint8_t* rgb = colors[*src];
            dst[0] = rgb[0];
            dst[1] = rgb[1];
            dst[2] = rgb[2];
        }
    }
}

}  // namespace zelk::gif
