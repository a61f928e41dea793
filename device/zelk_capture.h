#pragma once
// TZelkCapture: the capture set of the running game. A game start finds the
// game's trigger folder, loads the numbered trigger pictures, cuts each down
// to the region inside its marker outline and makes its mask; every frame is
// then reduced to the live mask and compared with every trigger region, and a
// trigger that shows up is sent to the player as "D<n>".
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "device/platform.h"
#include "device/plugin_state.h"
#include "device/zelk_frame.h"

namespace zelk::device {

// Right and bottom are exclusive.
struct MaskRect {
    int32_t top = 0;
    int32_t left = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const MaskRect&) const = default;
};

// Whether trigger equals the region rect of live, row by row. A region that
// does not lie inside live, or a trigger mask too small for the region, never
// matches; a region without rows or a trigger without columns always does.
bool RegionMatches(const TZelkFrame* live, const TZelkFrame* trigger, const MaskRect& rect);

class TZelkCapture {
public:
    static constexpr int kMaxImages = 500;
    // Trigger pictures are DMD screens; anything beyond these is refused
    // before it is allocated.
    static constexpr int32_t kMaxPictureSide = 1024;
    static constexpr size_t kMaxPictureFileBytes = 16u << 20;

    explicit TZelkCapture(PluginState& state);  // Create
    ~TZelkCapture();                            // Destroy
    TZelkCapture(const TZelkCapture&) = delete;
    TZelkCapture& operator=(const TZelkCapture&) = delete;

    // Game start. Throws when a trigger picture cannot be read; matching then
    // stays off and the pictures read before it stay loaded.
    void initGame(const std::string& gName);
    void LoadCheckImages();
    void BuildMasks();
    static std::optional<MaskRect> FindMarkerBox(const Bitmap24& picture);
    void DisconnectZELK() noexcept;

    // Matching, once per frame while captureActive. A frame smaller than the
    // live mask is counted but matches nothing.
    void processFrame(const Bitmap24& capImage);
    // The same, for a frame whose live mask the driver already filled while
    // copying the frame in (see frame_intake.h).
    void processFilledLiveFrame();
    // Whether the live mask can be taken from the top-left of frame.
    bool liveMaskFits(const Bitmap24& frame) const;
    void MatchFound(int32_t FrameIndex);

    int32_t xSize = 0;
    int32_t ySize = 0;
    int32_t numImages = 0;
    std::array<std::unique_ptr<Bitmap24>, kMaxImages + 1> chkImages;   // [0] unused
    std::array<std::unique_ptr<TZelkFrame>, kMaxImages + 1> chkFrames;  // [0] unused
    std::array<MaskRect, kMaxImages + 1> MaskRects;                    // [0] unused
    std::string mediaRoot;
    std::string captureFolder;
    std::unique_ptr<TZelkFrame> liveFrame;
    std::unique_ptr<PlayerDisplay> playerDisplay;

private:
    // Per trigger, what the frame path needs, laid out for one linear walk.
    struct TriggerCheck {
        const uint8_t* mask = nullptr;  // chkFrames[n]->Frame
        uint32_t liveOffset = 0;        // region top-left in the live mask
        uint32_t width = 0;
        uint32_t rows = 0;
        uint32_t probeLive[4] = {};   // probe samples, as live-mask offsets
        uint8_t probeValue[4] = {};   // and the trigger's bytes there
        bool probed = false;            // probes set (offsets 0 otherwise, never read as a verdict)
        bool neverMatches = false;
    };

    std::string triggerPath(int n) const;
    std::unique_ptr<Bitmap24> loadPicture(const std::string& path) const;
    void releaseImages() noexcept;
    void prepareChecks();
    bool checkMatches(const TriggerCheck& check) const;
    void countFrame();
    void compareTriggers();

    PluginState& state_;
    std::vector<TriggerCheck> checks_;  // index n - 1 for trigger n
};

}  // namespace zelk::device
