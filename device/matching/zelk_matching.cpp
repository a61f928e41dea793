// Frame matching and trigger dispatch of TZelkCapture: the frame counter
// that re-arms the last trigger, the walk over the trigger set and the sends
// to the player. Per frame nothing is allocated.
#include <string>

#include "core/error.h"
#include "device/matching/zelk_capture.h"

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

bool TZelkCapture::liveMaskFits(const Bitmap24& frame) const {
    const TZelkFrame* live = liveFrame();
    return live != nullptr && frame.width >= live->fWidth && frame.height >= live->fHeight;
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
    ++framesCompared_;
    // Every trigger shown is sent unless it was the last one matched, so
    // triggers shown together are each sent on every such frame.
    for (int n = triggers_.nextMatch(1); n != 0; n = triggers_.nextMatch(n + 1)) {
        if (n != state_.lastMatch) matchFound(n);
        state_.lastMatch = n;
    }
}

void TZelkCapture::processFrame(const Bitmap24& capImage) {
    if (!state_.captureActive) return;
    countFrame();
    TZelkFrame* live = liveFrame();
    if (live == nullptr || !live->updateFrame(capImage, state_.exactColorMatch)) return;
    compareTriggers();
}

void TZelkCapture::processFilledLiveFrame() {
    if (!state_.captureActive) return;
    countFrame();
    if (liveFrame() == nullptr) return;
    compareTriggers();
}

void TZelkCapture::matchFound(int32_t number) {
    if (!state_.captureActive) return;
    // A failed send goes no further than the log: the frame's remaining
    // triggers are still compared, and the number still becomes lastMatch.
    try {
        if (!playerDisplay_) throw Error("EPlayerLinkError", "no player display object");
        playerDisplay_->B2SData(triggerText(number), 1);
    } catch (...) {
        state_.logCurrentFailure("ERROR sending b2sdata");
    }
}

}  // namespace zelk::device
