#pragma once
// TZelkCapture: the capture set of the running game. A game start finds the
// game's trigger folder, loads the numbered trigger pictures into the trigger
// set and keeps the player link; every frame is then reduced to the live mask
// and compared with every trigger region, and a trigger that shows up is sent
// to the player as "D<n>".
#include <cstdint>
#include <memory>
#include <string>

#include "core/bitmap24.h"
#include "device/entry/platform.h"
#include "device/entry/plugin_state.h"
#include "device/matching/trigger_pictures.h"
#include "device/matching/trigger_set.h"
#include "device/matching/zelk_frame.h"

namespace zelk::device {

class TZelkCapture {
public:
    static constexpr int kMaxImages = kMaxTriggerPictures;

    // Logs "create ZelkCap". Destruction releases the set and the player
    // link, logging "Free Object Display" when there was one.
    explicit TZelkCapture(PluginState& state);
    ~TZelkCapture();
    TZelkCapture(const TZelkCapture&) = delete;
    TZelkCapture& operator=(const TZelkCapture&) = delete;

    // Game start. Throws when a trigger picture cannot be read; matching then
    // stays off and the pictures read before it stay loaded.
    void initGame(const std::string& gName);

    // Matching, once per frame while captureActive. A frame smaller than the
    // live mask is counted but matches nothing.
    void processFrame(const Bitmap24& capImage);
    // The same, for a frame whose live mask the driver already filled while
    // copying the frame in (see frame_intake.h).
    void processFilledLiveFrame();
    // Whether the live mask can be taken from the top-left of frame.
    bool liveMaskFits(const Bitmap24& frame) const;
    // The live mask, for the driver to fill; null before a set is loaded.
    TZelkFrame* liveFrame() { return triggers_.liveMask(); }

    // What the last game start loaded.
    int numImages() const { return triggers_.size(); }
    const Trigger& trigger(int number) const { return triggers_.trigger(number); }
    const TZelkFrame* liveFrame() const { return triggers_.liveMask(); }
    bool playerLinked() const { return playerDisplay_ != nullptr; }
    // Frames whose live mask was compared with the triggers, so far: a tool
    // that looks at the live mask after a frame knows whether it is that
    // frame's (frames of another size are counted but not compared).
    uint64_t framesCompared() const { return framesCompared_; }

private:
    void loadCheckImages(const std::string& captureFolder);
    void disconnectPlayer() noexcept;
    void countFrame();
    void compareTriggers();
    void matchFound(int32_t number);

    PluginState& state_;
    TriggerSet triggers_;
    std::unique_ptr<PlayerDisplay> playerDisplay_;
    uint64_t framesCompared_ = 0;
};

}  // namespace zelk::device
