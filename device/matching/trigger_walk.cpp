// The per-frame walk over a prepared trigger set. On an ordinary frame each
// trigger costs one eight-byte read of the live mask against its window;
// only the triggers whose window agrees compare their rows.
#include <cstring>

#include "device/matching/trigger_set.h"

namespace zelk::device {

bool RegionMatches(const TZelkFrame* live, const TZelkFrame* trigger, const MaskRect& rect) {
    return RegionDifference(live, trigger, rect, 0) == size_t{0};
}

std::optional<size_t> RegionDifference(const TZelkFrame* live, const TZelkFrame* trigger, const MaskRect& rect,
                                       size_t enough) {
    if (live == nullptr || trigger == nullptr) return std::nullopt;
    const int64_t rows = int64_t{rect.bottom} - rect.top;
    const int64_t width = trigger->fWidth;
    if (rows <= 0 || width <= 0) return 0;  // nothing to compare
    const bool fits = rect.top >= 0 && rect.left >= 0 && rect.bottom <= live->fHeight &&
                      rect.left + width <= live->fWidth && rows <= trigger->fHeight;
    if (!fits) return std::nullopt;
    size_t differing = 0;
    for (int32_t j = 0; j < rows && differing <= enough; ++j) {
        const uint8_t* liveRow = live->row(rect.top + j) + rect.left;
        const uint8_t* triggerRow = trigger->row(j);
        if (std::memcmp(liveRow, triggerRow, static_cast<size_t>(width)) == 0) continue;
        for (int64_t x = 0; x < width; ++x) differing += liveRow[x] != triggerRow[x];
    }
    return differing;
}

bool TriggerSet::rowsMatch(const Rows& rows) const {
    if (rows.neverMatches) return false;
    const uint8_t* live = live_->Frame.data() + rows.liveOffset;
    const auto liveWidth = static_cast<size_t>(live_->fWidth);
    for (size_t j = 0; j < rows.rows; ++j) {
        if (std::memcmp(live + j * liveWidth, rows.mask + j * rows.width, rows.width) != 0) return false;
    }
    return true;
}

// The first window from begin on that agrees with the live mask, or end.
// The hot loop of the frame path: kept free of anything but the windows.
size_t TriggerSet::firstAgreeing(size_t begin, size_t end) const {
    const uint8_t* live = live_->Frame.data();
    const Window* windows = windows_.data();
    for (size_t i = begin; i < end; ++i) {
        uint64_t shown;
        std::memcpy(&shown, live + windows[i].offset, sizeof shown);
        if (((shown ^ windows[i].want) & windows[i].care) == 0) return i;
    }
    return end;
}

int TriggerSet::nextMatch(int from) const {
    // Trigger pictures are at least 1 x 1, so an empty live mask only comes
    // from a set without pictures: nothing is shown, nothing matches.
    if (!live_ || live_->Frame.empty()) return 0;
    const size_t end = windows_.size();
    for (size_t i = from > 1 ? static_cast<size_t>(from - 1) : 0; i < end; ++i) {
        if (windowsUsable_) {
            i = firstAgreeing(i, end);
            if (i == end) break;
        }
        if (rowsMatch(rows_[i])) return static_cast<int>(i + 1);
    }
    return 0;
}

}  // namespace zelk::device
