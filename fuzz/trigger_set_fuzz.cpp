#include "fuzz/trigger_set_fuzz.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "device/matching/trigger_set.h"
#include "device/matching/zelk_frame.h"

namespace zelk::trigger_set_fuzz {
namespace {

using device::MaskRect;
using device::TriggerSet;
using device::TZelkFrame;

constexpr int kMaxPictures = 8;
constexpr int kWidths = 160;
constexpr int kHeights = 48;

void require(bool condition, const char* what) {
    if (!condition) throw std::logic_error(std::string("trigger set broke a promise: ") + what);
}

// Reads past the end as 0.
struct Reader {
    std::span<const uint8_t> data;
    size_t at = 0;
    bool done() const { return at >= data.size(); }
    uint8_t next() { return at < data.size() ? data[at++] : 0; }
};

void paletteColour(uint8_t value, uint8_t* pixel) {
    static constexpr uint8_t kPalette[4][3] = {{0, 0, 0}, {253, 0, 253}, {255, 255, 255}, {50, 50, 50}};
    if (value < 4) {
        std::memcpy(pixel, kPalette[value], 3);
    } else {
        pixel[0] = value;
        pixel[1] = static_cast<uint8_t>(value ^ 0x5A);
        pixel[2] = static_cast<uint8_t>(255 - value);
    }
}

std::vector<Bitmap24> decode(std::span<const uint8_t> data, uint8_t& flags) {
    Reader in{data};
    flags = in.next();
    std::vector<Bitmap24> pictures;
    while (pictures.size() < kMaxPictures && in.at + 2 <= data.size()) {
        const int32_t width = 1 + in.next() % kWidths;
        const int32_t height = 1 + in.next() % kHeights;
        Bitmap24 picture(width, height);
        for (size_t i = 0; i < picture.pixels.size(); i += 3) {
            if (flags & kRawPixels) {
                for (size_t c = 0; c < 3; ++c) picture.pixels[i + c] = in.next();
            } else {
                paletteColour(in.next(), &picture.pixels[i]);
            }
        }
        pictures.push_back(std::move(picture));
    }
    return pictures;
}

bool isMarker(const Bitmap24& picture, int32_t x, int32_t y) {
    const uint8_t* p = picture.row(y) + static_cast<size_t>(x) * 3;
    return p[0] == 253 && p[1] == 0 && p[2] == 253;
}

// A box's corner is the first marker pixel, and its top and left edges are
// whole runs of marker pixels.
void checkRegion(const Bitmap24& loaded, const MaskRect& r) {
    require(r.top >= 0 && r.left >= 0 && r.right <= loaded.width && r.bottom <= loaded.height &&
                r.left < r.right && r.top < r.bottom,
            "region inside the picture");
    if (r == MaskRect{0, 0, loaded.width, loaded.height}) return;  // no box: a box never starts at row 0
    require(r.top >= 1 && r.left >= 1 && r.right - r.left >= 2 && r.bottom - r.top >= 2, "box size");
    const int32_t x = r.left - 1;
    const int32_t y = r.top - 1;
    for (int32_t i = 0; i < y * loaded.width + x; ++i) {
        require(!isMarker(loaded, i % loaded.width, i / loaded.width), "corner is the first marker pixel");
    }
    for (int32_t i = x; i <= r.right; ++i) require(isMarker(loaded, i, y), "top edge");
    for (int32_t i = y; i <= r.bottom; ++i) require(isMarker(loaded, x, i), "left edge");
    require(r.right + 1 == loaded.width || !isMarker(loaded, r.right + 1, y), "top edge ends");
    require(r.bottom + 1 == loaded.height || !isMarker(loaded, x, r.bottom + 1), "left edge ends");
}

void checkTrigger(const Bitmap24& loaded, const device::Trigger& trigger, bool exact) {
    const MaskRect& r = trigger.region;
    checkRegion(loaded, r);
    require(trigger.picture.width == r.right - r.left && trigger.picture.height == r.bottom - r.top,
            "cut picture has the region's size");
    require(trigger.mask.fWidth == trigger.picture.width && trigger.mask.fHeight == trigger.picture.height,
            "mask has the cut picture's size");
    for (int32_t y = 0; y < trigger.picture.height; ++y) {
        const uint8_t* cut = trigger.picture.row(y);
        require(std::equal(cut, cut + trigger.picture.stride(),
                           loaded.row(r.top + y) + static_cast<size_t>(r.left) * 3),
                "cut pixels are the region's");
        for (int32_t x = 0; x < trigger.picture.width; ++x) {
            const uint8_t* p = cut + static_cast<size_t>(x) * 3;
            require(trigger.mask.row(y)[x] == device::maskByte(p[0], p[1], p[2], exact), "mask rule");
        }
    }
}

// The frame: the live mask's size, the picture at its top-left.
Bitmap24 asFrame(const Bitmap24& picture, const TZelkFrame& live) {
    Bitmap24 frame(live.fWidth, live.fHeight);
    const int32_t width = std::min(picture.width, frame.width);
    for (int32_t y = 0; y < std::min(picture.height, frame.height); ++y) {
        std::memcpy(frame.row(y), picture.row(y), static_cast<size_t>(width) * 3);
    }
    return frame;
}

}  // namespace

void fuzz(std::span<const uint8_t> data) {
    uint8_t flags = 0;
    const std::vector<Bitmap24> pictures = decode(data, flags);
    const bool exact = flags & kExactRule;
    TriggerSet set;
    for (const Bitmap24& picture : pictures) set.add(picture, exact);
    const std::vector<int> outside = set.prepare();
    require(set.size() == static_cast<int>(pictures.size()), "one trigger per picture");
    if (pictures.empty()) {
        require(set.liveMask() == nullptr && set.nextMatch(1) == 0, "an empty set matches nothing");
        return;
    }
    TZelkFrame& live = *set.liveMask();
    require(live.Frame == TZelkFrame(pictures[0], exact).Frame, "live mask from picture 1 as loaded");
    for (int n = 1; n <= set.size(); ++n) {
        const device::Trigger& trigger = set.trigger(n);
        checkTrigger(pictures[static_cast<size_t>(n - 1)], trigger, exact);
        const bool inside = trigger.region.bottom <= live.fHeight && trigger.region.right <= live.fWidth;
        require(inside != std::binary_search(outside.begin(), outside.end(), n), "outside list");
    }
    for (const Bitmap24& picture : pictures) {
        const Bitmap24 frame = asFrame(picture, live);
        require(live.updateFrame(frame, exact), "frame fills the live mask");
        const TZelkFrame model(frame, exact);
        int walked = set.nextMatch(1);
        for (int n = 1; n <= set.size(); ++n) {
            const bool matches = device::RegionMatches(&model, &set.trigger(n).mask, set.trigger(n).region);
            require(matches == (walked == n), "walk agrees with RegionMatches");
            if (matches) walked = set.nextMatch(n + 1);
        }
        require(walked == 0, "walk ends after the last trigger");
    }
}

std::vector<uint8_t> encode(uint8_t flags, const std::vector<Bitmap24>& pictures) {
    std::vector<uint8_t> data{flags};
    for (const Bitmap24& picture : pictures) {
        if (picture.width < 1 || picture.width > kWidths || picture.height < 1 || picture.height > kHeights) {
            throw std::invalid_argument("picture size outside the fuzz input's range");
        }
        data.push_back(static_cast<uint8_t>(picture.width - 1));
        data.push_back(static_cast<uint8_t>(picture.height - 1));
        for (size_t i = 0; i < picture.pixels.size(); i += 3) {
            const uint8_t* p = &picture.pixels[i];
            if (flags & kRawPixels) {
                data.insert(data.end(), p, p + 3);
                continue;
            }
            // The marker stays; other colours keep only whether they are lit.
            const int sum = p[0] + p[1] + p[2];
            const bool marker = p[0] == 253 && p[1] == 0 && p[2] == 253;
            data.push_back(marker ? 1 : sum > 200 ? 2 : sum > 0 ? 3 : 0);
        }
    }
    return data;
}

}  // namespace zelk::trigger_set_fuzz
