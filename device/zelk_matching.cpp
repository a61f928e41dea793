// Frame matching and trigger dispatch of TZelkCapture. Per frame the work is
// the live mask (filled by the driver's copy pass or by processFrame) and one
// short walk over the prepared trigger checks; nothing is allocated.
#include <cstdio>
#include <cstring>

#include "core/error.h"

#include "device/zelk_capture.h"

namespace zelk::device {

bool RegionMatches(const TZelkFrame* live, const TZelkFrame* trigger, const MaskRect& rect) {
    if (live == nullptr || trigger == nullptr) return false;
    const int64_t rows = int64_t{rect.bottom} - rect.top;
    const int64_t width = trigger->fWidth;
    if (rows <= 0 || width <= 0) return true;  // nothing to compare
    const bool fits = rect.top >= 0 && rect.left >= 0 && rect.bottom <= live->fHeight &&
                      rect.left + width <= live->fWidth && rows <= trigger->fHeight;
    if (!fits) return false;
    for (int32_t j = 0; j < rows; ++j) {
        const uint8_t* liveRow = live->row(rect.top + j) + rect.left;
        if (std::memcmp(liveRow, trigger->row(j), static_cast<size_t>(width)) != 0) return false;
    }
    return true;
}

bool TZelkCapture::liveMaskFits(const Bitmap24& frame) const {
    return liveFrame && frame.width >= liveFrame->fWidth && frame.height >= liveFrame->fHeight;
}

void TZelkCapture::prepareChecks() {
    checks_.assign(static_cast<size_t>(numImages), TriggerCheck{});
    const MaskRect liveArea{0, 0, liveFrame->fWidth, liveFrame->fHeight};
    for (int n = 1; n <= numImages; ++n) {
        const TZelkFrame& trigger = *chkFrames[n];
        const MaskRect& r = MaskRects[n];
        TriggerCheck& check = checks_[static_cast<size_t>(n - 1)];
        check.mask = trigger.Frame.data();
        check.width = static_cast<uint32_t>(trigger.fWidth);
        check.rows = static_cast<uint32_t>(r.bottom - r.top);
        if (check.width == 0 || check.rows == 0) continue;  // compares nothing: always matches
        const bool fits = r.top >= 0 && r.left >= 0 && r.bottom <= liveArea.bottom &&
                          r.left + trigger.fWidth <= liveArea.right;
        if (!fits) {
            check.neverMatches = true;
            state_.log("trigger image " + std::to_string(n) +
                       " lies outside the live mask (trigger image 1): it never matches");
            continue;
        }
        check.liveOffset = static_cast<uint32_t>(r.top * liveFrame->fWidth + r.left);
        // Probe the first and the last lit dot of the trigger first: on an
        // ordinary frame one of them is dark, and the trigger is done without
        // walking its rows.
        const size_t size = trigger.Frame.size();
        size_t first = 0;
        while (first < size && trigger.Frame[first] == 0) ++first;
        size_t last = size;
        while (last > 0 && trigger.Frame[last - 1] == 0) --last;
        const size_t probes[2] = {first < size ? first : 0, last > 0 ? last - 1 : size - 1};
        for (int i = 0; i < 2; ++i) {
            const size_t y = probes[i] / check.width;
            const size_t x = probes[i] % check.width;
            check.probeLive[i] = static_cast<uint32_t>(
                check.liveOffset + y * static_cast<size_t>(liveFrame->fWidth) + x);
            check.probeValue[i] = trigger.Frame[probes[i]];
        }
    }
}

bool TZelkCapture::checkMatches(const TriggerCheck& check) const {
    if (check.neverMatches) return false;
    if (check.width == 0 || check.rows == 0) return true;
    const uint8_t* liveMask = liveFrame->Frame.data();
    if (liveMask[check.probeLive[0]] != check.probeValue[0] ||
        liveMask[check.probeLive[1]] != check.probeValue[1]) {
        return false;
    }
    const uint8_t* live = liveMask + check.liveOffset;
    const size_t liveWidth = static_cast<size_t>(liveFrame->fWidth);
    for (size_t j = 0; j < check.rows; ++j) {
        if (std::memcmp(live + j * liveWidth, check.mask + j * check.width, check.width) != 0) {
            return false;
        }
    }
    return true;
}

void TZelkCapture::countFrame() {
    // Same as "add 1, re-arm when past matchReset", without overflowing.
    if (state_.frameCounter >= state_.matchReset) {
        state_.lastMatch = -1;
        state_.frameCounter = 0;
    } else {
        ++state_.frameCounter;
    }
}

void TZelkCapture::compareTriggers() {
    for (int n = 1; n <= numImages && static_cast<size_t>(n) <= checks_.size(); ++n) {
        if (!checkMatches(checks_[static_cast<size_t>(n - 1)])) continue;
        if (n != state_.lastMatch) MatchFound(n);
        state_.lastMatch = n;
    }
}

void TZelkCapture::processFrame(const Bitmap24& capImage) {
    if (!state_.captureActive) return;
    countFrame();
    if (!liveFrame || !liveFrame->updateFrame(capImage, state_.exactColorMatch)) return;
    compareTriggers();
}

void TZelkCapture::processFilledLiveFrame() {
    if (!state_.captureActive) return;
    countFrame();
    if (!liveFrame) return;
    compareTriggers();
}

void TZelkCapture::MatchFound(int32_t FrameIndex) {
    if (!state_.captureActive) return;
    // "D1" to "D500" fit the string's inline buffer: no allocation per send.
    char16_t text[16] = {u'D'};
    char digits[12];
    const int count = std::snprintf(digits, sizeof digits, "%d", FrameIndex);
    for (int i = 0; i < count; ++i) text[i + 1] = static_cast<char16_t>(digits[i]);
    try {
        if (!playerDisplay) throw Error("EPlayerLinkError", "no player display object");
        playerDisplay->B2SData(std::u16string(text), 1);
    } catch (...) {
        state_.logCurrentFailure("ERROR sending b2sdata");
    }
}

}  // namespace zelk::device
