// Frame matching and trigger dispatch of TZelkCapture. Per frame the work is
// the live mask (filled by the driver's copy pass or by processFrame) and one
// short walk over the prepared trigger checks; nothing is allocated.
#include <cstring>
#include <vector>

#include "core/error.h"

#include "device/zelk_capture.h"

namespace zelk::device {
namespace {

// "D" and the trigger number. D1 to D500 fit the string's inline buffer, so
// a send allocates nothing.
std::u16string triggerText(int32_t number) {
    char16_t digits[12];
    int count = 0;
    uint32_t rest = number < 0 ? 0u - static_cast<uint32_t>(number) : static_cast<uint32_t>(number);
    do {
        digits[count++] = static_cast<char16_t>(u'0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    std::u16string text(1, u'D');
    if (number < 0) text += u'-';
    while (count > 0) text += digits[--count];
    return text;
}

}  // namespace

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
        // Probe four lit dots of the trigger (the first, the last and two
        // between) before walking its rows: on an ordinary frame at least
        // one of them is dark, and the trigger is done after four reads.
        std::vector<size_t> lit;
        for (size_t i = 0; i < trigger.Frame.size(); ++i) {
            if (trigger.Frame[i] != 0) lit.push_back(i);
        }
        if (lit.empty()) lit.push_back(0);  // a dark region: any lit dot in it differs
        for (size_t i = 0; i < 4; ++i) {
            const size_t probe = lit[(lit.size() - 1) * i / 3];
            const size_t y = probe / check.width;
            const size_t x = probe % check.width;
            check.probeLive[i] = static_cast<uint32_t>(
                check.liveOffset + y * static_cast<size_t>(liveFrame->fWidth) + x);
            check.probeValue[i] = trigger.Frame[probe];
        }
        check.probed = true;
    }
}

// The slow half of a trigger's check: the rows, after the probes agreed.
bool TZelkCapture::checkMatches(const TriggerCheck& check) const {
    if (check.neverMatches) return false;
    if (check.width == 0 || check.rows == 0) return true;
    const uint8_t* live = liveFrame->Frame.data() + check.liveOffset;
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
    // Trigger pictures are at least 1 x 1, so the live mask has a byte for
    // the probes to read; the test keeps the reads sound regardless.
    if (liveFrame->Frame.empty()) return;
    const uint8_t* liveMask = liveFrame->Frame.data();
    for (int n = 1; n <= numImages && static_cast<size_t>(n) <= checks_.size(); ++n) {
        const TriggerCheck& check = checks_[static_cast<size_t>(n - 1)];
        // The quick half, inline and with one branch for four reads: on an
        // ordinary frame nearly every trigger ends here.
        const unsigned differs = (liveMask[check.probeLive[0]] ^ check.probeValue[0]) |
                                 (liveMask[check.probeLive[1]] ^ check.probeValue[1]) |
                                 (liveMask[check.probeLive[2]] ^ check.probeValue[2]) |
                                 (liveMask[check.probeLive[3]] ^ check.probeValue[3]);
        if (check.probed && differs != 0) continue;
        if (!checkMatches(check)) continue;
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
    try {
        if (!playerDisplay) throw Error("EPlayerLinkError", "no player display object");
        playerDisplay->B2SData(triggerText(FrameIndex), 1);
    } catch (...) {
        state_.logCurrentFailure("ERROR sending b2sdata");
    }
}

}  // namespace zelk::device
