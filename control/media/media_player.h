#pragma once
// Media playback of the control program: DMDPlay's PlayMediaFile turns a path
// without extension into one existing file and shows it on the DMD, a JPEG
// or PNG picture as one frame, a GIF frame by frame on GiFTimer. The state is
// the main form's share of it (currentMediaFile, gifImage, gifBitmap,
// gifRenderer); the platform supplies the file system, the still-picture
// decoder, the timer and the DMD device.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "control/device/dmd_device.h"
#include "control/media/file_system.h"
#include "control/media/gif_bitmap.h"
#include "control/media/still_picture.h"
#include "control/timing/timer.h"
#include "core/gif.h"
#include "core/halftone_palette.h"
#include "core/palette_entry.h"

namespace zelk::control {

struct MediaPlayerServices {
    FileSystem& files;
    StillPictureDecoder& pictures;
    Timer& gifTimer;   // GiFTimer: its ticks must call GiFTimerTimer
    DmdDevice& device;
    Palette256 halftonePalette;  // platformHalftonePalette() (control/media/halftone.h)
};

// Media files are read whole before decoding; larger ones are refused.
inline constexpr size_t kMaxMediaFileBytes = 64u << 20;

class MediaPlayer {
public:
    explicit MediaPlayer(const MediaPlayerServices& services);
    ~MediaPlayer();
    MediaPlayer(const MediaPlayer&) = delete;
    MediaPlayer& operator=(const MediaPlayer&) = delete;

    // Raises zelk::Error only when a GIF animation cannot be started.
    void PlayMediaFile(const std::string& sfile);

    // Bare names of the files matching a wildcard path, in the search's order;
    // folders, hidden and system entries are skipped.
    std::vector<std::string> FindFiles(const std::string& pattern) const;

    // Raises zelk::Error when the file cannot be loaded; no animation runs then.
    void StartAnimateGif(const std::string& pFileName);
    void StopAnimatedGif() noexcept;
    // The GiFTimer tick: sends the current frame and advances.
    void GiFTimerTimer() noexcept;

    const std::string& currentMediaFile() const { return currentMediaFile_; }
    // The GIF being animated, or null.
    const gif::Image* gifImage() const { return gifImage_.get(); }
    // The frame the next tick sends; -1 without an animation.
    int gifFrame() const;

private:
    std::string resolveMediaFile(const std::string& sfile) const;
    void showStillPicture(const std::string& path) noexcept;
    void createGifObjects(const std::string& path);
    void releaseGifObjects() noexcept;

    MediaPlayerServices services_;
    std::string currentMediaFile_;
    std::unique_ptr<gif::Image> gifImage_;
    std::unique_ptr<GifBitmap> gifBitmap_;
    std::unique_ptr<gif::Compositor> gifRenderer_;
    // Built at the first GIF and kept: preparing the palette look-up costs
    // milliseconds, and the palette never changes.
    std::unique_ptr<HalftoneQuantiser> quantiser_;
};

}  // namespace zelk::control
