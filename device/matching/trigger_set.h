#pragma once
// The trigger pictures of one game, prepared for the frame path: each picture
// is cut down to the region inside its marker outline and turned into a mask
// once, at the game start, so that a frame only compares bytes of prepared
// masks. Knows nothing of files, the log or the player (TZelkCapture does).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/bitmap24.h"
#include "device/matching/marker_search.h"
#include "device/matching/zelk_frame.h"

namespace zelk::device {

// Whether trigger equals the region rect of live, row by row. A region that
// does not lie inside live, or a trigger mask too small for the region, never
// matches; a region without rows or a trigger without columns always does.
bool RegionMatches(const TZelkFrame* live, const TZelkFrame* trigger, const MaskRect& rect);

// How many mask bytes of the region rect differ between live and trigger, by
// the rule of RegionMatches (which is this count being 0); none when the
// region can never match. Counting stops once it exceeds enough, so a caller
// looking for the nearest frame pays only for the frames that may be nearer.
std::optional<size_t> RegionDifference(const TZelkFrame* live, const TZelkFrame* trigger, const MaskRect& rect,
                                       size_t enough);

// One trigger picture after the cut.
struct Trigger {
    Bitmap24 picture;  // the region of the picture as loaded
    TZelkFrame mask;   // of picture
    MaskRect region;   // in the picture as loaded, which is also where it lies in the live mask
};

// Cuts a picture as loaded down to its marked region (the whole picture when
// it has no outline) and makes the mask by the given rule.
Trigger cutTrigger(const Bitmap24& loaded, bool exactColorMatch);

class TriggerSet {
public:
    // Forgets every trigger and the live mask.
    void clear() noexcept;
    // Trigger size() + 1. The first picture also gives the live mask its
    // size, taken before the cut. Until prepare() runs again nothing matches.
    void add(const Bitmap24& loaded, bool exactColorMatch);
    // Readies the frame path after the last add. Returns the numbers of the
    // triggers whose region does not lie inside the live mask: they never
    // match.
    std::vector<int> prepare();

    int size() const { return static_cast<int>(triggers_.size()); }
    const Trigger& trigger(int number) const { return triggers_.at(static_cast<size_t>(number - 1)); }
    // The live mask, refilled from every frame; null before the first add.
    TZelkFrame* liveMask() { return live_ ? &*live_ : nullptr; }
    const TZelkFrame* liveMask() const { return live_ ? &*live_ : nullptr; }

    // The lowest trigger number from `from` on whose region the live mask
    // shows, or 0 when there is none. Allocates nothing.
    int nextMatch(int from) const;

private:
    // Eight bytes of the live mask that one trigger is checked against
    // before its rows are: the walk reads these records one after the other,
    // so they hold nothing else.
    struct Window {
        uint64_t want = 0;    // the trigger's mask bytes there
        uint64_t care = 0;    // 0xFF where a byte belongs to the region
        uint32_t offset = 0;  // first byte in the live mask
    };
    // The full comparison, for the few triggers whose window agreed.
    struct Rows {
        const uint8_t* mask = nullptr;
        uint32_t liveOffset = 0;  // region's top-left in the live mask
        uint32_t width = 0;
        uint32_t rows = 0;
        bool neverMatches = false;
    };

    Window windowFor(const Trigger& trigger) const;
    size_t firstAgreeing(size_t begin, size_t end) const;
    bool rowsMatch(const Rows& rows) const;

    std::vector<Trigger> triggers_;  // trigger n at index n - 1
    std::optional<TZelkFrame> live_;
    std::vector<Window> windows_;    // filled by prepare(), index as triggers_
    std::vector<Rows> rows_;
    bool windowsUsable_ = false;     // the live mask holds at least one window
};

}  // namespace zelk::device
