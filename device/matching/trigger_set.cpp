// Preparing a game's trigger set: marker search, cutting, masks, and the
// per-trigger windows the frame walk (trigger_walk.cpp) checks first.
#include "device/matching/trigger_set.h"

#include <algorithm>
#include <cstring>

namespace zelk::device {
namespace {

constexpr size_t kWindowBytes = 8;

uint64_t wordOf(const uint8_t (&bytes)[kWindowBytes]) {
    uint64_t word = 0;
    std::memcpy(&word, bytes, kWindowBytes);
    return word;
}

}  // namespace

Trigger cutTrigger(const Bitmap24& loaded, bool exactColorMatch) {
    const MaskRect r = FindMarkerBox(loaded).value_or(MaskRect{0, 0, loaded.width, loaded.height});
    Bitmap24 cut(r.right - r.left, r.bottom - r.top);
    for (int32_t y = 0; y < cut.height; ++y) {
        std::memcpy(cut.row(y), loaded.row(r.top + y) + static_cast<size_t>(r.left) * 3, cut.stride());
    }
    TZelkFrame mask(cut, exactColorMatch);
    return Trigger{std::move(cut), std::move(mask), r};
}

void TriggerSet::clear() noexcept {
    triggers_.clear();
    live_.reset();
    windows_.clear();
    rows_.clear();
    windowsUsable_ = false;
}

void TriggerSet::add(const Bitmap24& loaded, bool exactColorMatch) {
    windows_.clear();
    rows_.clear();
    if (!live_) live_.emplace(loaded, exactColorMatch);
    triggers_.push_back(cutTrigger(loaded, exactColorMatch));
}

std::vector<int> TriggerSet::prepare() {
    std::vector<int> outside;
    windows_.assign(triggers_.size(), Window{});
    rows_.assign(triggers_.size(), Rows{});
    if (!live_) return outside;
    windowsUsable_ = live_->Frame.size() >= kWindowBytes;
    for (size_t i = 0; i < triggers_.size(); ++i) {
        const Trigger& trigger = triggers_[i];
        const MaskRect& r = trigger.region;
        Rows& rows = rows_[i];
        rows.mask = trigger.mask.Frame.data();
        rows.width = static_cast<uint32_t>(trigger.mask.fWidth);
        rows.rows = static_cast<uint32_t>(std::max(r.bottom - r.top, 0));
        // A window that cares for no byte lets the trigger through to its rows.
        if (rows.width == 0 || rows.rows == 0) continue;  // compares nothing: always matches
        const bool fits = r.top >= 0 && r.left >= 0 && r.bottom <= live_->fHeight &&
                          int64_t{r.left} + trigger.mask.fWidth <= live_->fWidth &&
                          r.bottom - r.top <= trigger.mask.fHeight;
        if (!fits) {
            rows.neverMatches = true;
            outside.push_back(static_cast<int>(i + 1));
            continue;
        }
        rows.liveOffset = static_cast<uint32_t>(r.top * live_->fWidth + r.left);
        if (windowsUsable_) windows_[i] = windowFor(trigger);
    }
    return outside;
}

// The window of the region with the most lit dots, and on a tie the one with
// more of the region's bytes: a DMD screen is mostly dark, so lit dots rule
// a trigger out fastest. A window runs along one row of the region; where it
// would reach past the live mask it starts earlier and cares for fewer bytes
// at its start.
TriggerSet::Window TriggerSet::windowFor(const Trigger& trigger) const {
    const TZelkFrame& mask = trigger.mask;
    const auto width = static_cast<size_t>(mask.fWidth);
    const auto rows = static_cast<size_t>(trigger.region.bottom - trigger.region.top);
    size_t bestRow = 0;
    size_t bestColumn = 0;
    size_t bestScore = 0;
    for (size_t y = 0; y < rows; ++y) {
        const uint8_t* row = mask.row(static_cast<int32_t>(y));
        size_t lit = 0;
        for (size_t x = 0; x < std::min(width, kWindowBytes); ++x) lit += row[x] != 0;
        for (size_t x = 0;; ++x) {
            const size_t score = lit * 16 + std::min(kWindowBytes, width - x);
            if (score > bestScore) {
                bestScore = score;
                bestRow = y;
                bestColumn = x;
            }
            if (x + kWindowBytes >= width) break;
            if (row[x + kWindowBytes] != 0) ++lit;
            if (row[x] != 0) --lit;
        }
    }
    const size_t liveWidth = static_cast<size_t>(live_->fWidth);
    const size_t first = (static_cast<size_t>(trigger.region.top) + bestRow) * liveWidth +
                         static_cast<size_t>(trigger.region.left) + bestColumn;
    const size_t start = std::min(first, live_->Frame.size() - kWindowBytes);
    uint8_t want[kWindowBytes] = {};
    uint8_t care[kWindowBytes] = {};
    const uint8_t* bytes = mask.row(static_cast<int32_t>(bestRow)) + bestColumn;
    for (size_t i = 0; i < std::min(kWindowBytes, width - bestColumn); ++i) {
        want[first - start + i] = bytes[i];
        care[first - start + i] = 0xFF;
    }
    return Window{wordOf(want), wordOf(care), static_cast<uint32_t>(start)};
}

}  // namespace zelk::device
