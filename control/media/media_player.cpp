#include "control/media/media_player.h"

#include <utility>

#include "control/output/dmd_output.h"
#include "control/media/media_path.h"
#include "core/error.h"

namespace zelk::control {

MediaPlayer::MediaPlayer(const MediaPlayerServices& services) : services_(services) {}

MediaPlayer::~MediaPlayer() { StopAnimatedGif(); }

int MediaPlayer::gifFrame() const {
    return gifRenderer_ ? gifRenderer_->currentFrame() : -1;
}

std::vector<std::string> MediaPlayer::FindFiles(const std::string& pattern) const {
    std::vector<std::string> names;
    for (FoundEntry& entry : services_.files.search(pattern)) {
        if (entry.folder || entry.hidden || entry.system) continue;
        names.push_back(std::move(entry.name));
    }
    return names;
}

// The candidates in order: the file itself with any extension, the folder's
// default.* and, without a search, the folder's default.png.
std::string MediaPlayer::resolveMediaFile(const std::string& sfile) const {
    const std::string folder = folderOf(sfile, services_.files.folderDelimiters());
    std::vector<std::string> names = FindFiles(sfile + ".*");
    if (names.empty()) names = FindFiles(folder + "default.*");
    if (names.empty()) return folder + "default.png";
    return folder + names.front();
}

void MediaPlayer::PlayMediaFile(const std::string& sfile) {
    const std::string path = resolveMediaFile(sfile);
    if (!services_.files.fileExists(path)) return;
    // Exact comparison: asking again for what is on show must not restart a GIF.
    if (path == currentMediaFile_) return;
    currentMediaFile_ = path;
    if (services_.gifTimer.enabled()) StopAnimatedGif();

    const std::string extension = extensionOf(path, services_.files.folderDelimiters());
    if (isGifExtension(extension)) {
        StartAnimateGif(path);
    } else if (isStillPictureExtension(extension)) {
        showStillPicture(path);
    }
}

void MediaPlayer::showStillPicture(const std::string& path) noexcept {
    // A picture that cannot be read or decoded shows nothing and is not reported.
    try {
        const std::vector<uint8_t> data = services_.files.readFile(path, kMaxMediaFileBytes);
        const StillPicture picture = services_.pictures.decode(data);
        SourceBitmap bitmap;
        bitmap.width = picture.width;
        bitmap.height = picture.height;
        bitmap.format = PixelFormat::Bgra32;
        bitmap.pixels = picture.pixels.data();
        bitmap.stride = static_cast<size_t>(picture.width) * 4;
        SendFrameToDmd(services_.device, bitmap);
    } catch (...) {
    }
}

void MediaPlayer::StartAnimateGif(const std::string& pFileName) {
    if (services_.gifTimer.enabled()) StopAnimatedGif();
    try {
        createGifObjects(pFileName);
    } catch (const Error&) {
        releaseGifObjects();
        throw;
    } catch (const std::exception& failure) {
        releaseGifObjects();
        throw Error("EInvalidGraphic", pFileName + ": " + failure.what());
    }
    // The first frame reaches the DMD at the first tick.
    services_.gifTimer.setEnabled(true);
}

void MediaPlayer::createGifObjects(const std::string& path) {
    const std::vector<uint8_t> data = services_.files.readFile(path, kMaxMediaFileBytes);
    try {
        gifImage_ = std::make_unique<gif::Image>(gif::decode(data));
    } catch (const Error& failure) {
        throw Error(failure.className(), path + ": " + failure.what());
    }
    if (!quantiser_) quantiser_ = std::make_unique<HalftoneQuantiser>(services_.halftonePalette);
    gifBitmap_ = std::make_unique<GifBitmap>(gifImage_->width, gifImage_->height, *quantiser_);
    gifRenderer_ = std::make_unique<gif::Compositor>(*gifImage_);
}

void MediaPlayer::StopAnimatedGif() noexcept {
    services_.gifTimer.setEnabled(false);
    releaseGifObjects();
}

void MediaPlayer::releaseGifObjects() noexcept {
    // Each holder is cleared before its object goes; the renderer refers to
    // the image, so it goes first.
    std::unique_ptr<gif::Compositor> renderer = std::exchange(gifRenderer_, nullptr);
    std::unique_ptr<GifBitmap> bitmap = std::exchange(gifBitmap_, nullptr);
    std::unique_ptr<gif::Image> image = std::exchange(gifImage_, nullptr);
    renderer.reset();
    bitmap.reset();
    image.reset();
}

void MediaPlayer::GiFTimerTimer() noexcept {
    if (!gifImage_) return;
    // A frame that cannot be drawn, advanced or sent ends the animation silently.
    try {
        gifBitmap_->draw(gifRenderer_->canvas());
        gifRenderer_->advance();
        SendFrameToDmd(services_.device, gifBitmap_->view());
    } catch (...) {
        StopAnimatedGif();
    }
}

}  // namespace zelk::control
