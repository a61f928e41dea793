// TZelkCapture: the game start (trigger folder, trigger pictures, regions and
// masks) and the player link's lifetime. Matching lives in zelk_matching.cpp.
#include "device/zelk_capture.h"

#include <cstring>

#include "core/bmp_reader.h"
#include "core/utf8.h"

namespace zelk::device {
namespace {

bool isMarker(const uint8_t* pixel) {
    return pixel[0] == 253 && pixel[1] == 0 && pixel[2] == 253;
}

}  // namespace

TZelkCapture::TZelkCapture(PluginState& state) : state_(state) {
    numImages = 0;
    state_.log("create ZelkCap");
}

TZelkCapture::~TZelkCapture() {
    releaseImages();
    DisconnectZELK();
}

void TZelkCapture::initGame(const std::string& gName) {
    state_.log("Init Game name:" + gName);
    state_.captureActive = false;
    Platform& platform = state_.platform;
    const std::string sep(1, platform.files.pathSeparator());
    mediaRoot = platform.playerLink.findMediaRoot();
    captureFolder = mediaRoot + gName + sep + "ZelkCapture";
    if (!platform.files.directoryExists(captureFolder)) {
        state_.log("No ZelkCapture found:  nothing to do");
        return;
    }
    state_.exactColorMatch = platform.files.fileExists(captureFolder + sep + "ExactColorMatch.txt");
    if (!playerDisplay) {
        state_.log("Create Object Display");
        playerDisplay = platform.playerLink.createPlayerDisplay();
    }
    state_.log("imagedir:" + captureFolder);
    LoadCheckImages();
    state_.log("num images " + std::to_string(numImages));
    state_.captureActive = false;
    if (numImages == 0) {
        DisconnectZELK();
        return;
    }
    state_.captureActive = true;
    state_.lastMatch = -1;
    if (state_.b2sInitRequested && playerDisplay) {
        // Matching is on by now and stays on: a player that cannot be reached
        // is reported like a failed trigger send.
        try {
            playerDisplay->B2SInit(u"", utf8ToUtf16(gName));
        } catch (...) {
            state_.logCurrentFailure("ERROR sending b2sinit");
        }
    }
}

std::string TZelkCapture::triggerPath(int n) const {
    return captureFolder + state_.platform.files.pathSeparator() + std::to_string(n) + ".bmp";
}

std::unique_ptr<Bitmap24> TZelkCapture::loadPicture(const std::string& path) const {
    const std::vector<uint8_t> data = state_.platform.files.readFile(path, kMaxPictureFileBytes);
    BmpLimits limits;
    limits.maxSide = kMaxPictureSide;
    return std::make_unique<Bitmap24>(readBmp(data, path, limits));
}

void TZelkCapture::releaseImages() noexcept {
    checks_.clear();
    liveFrame.reset();
    for (auto& image : chkImages) image.reset();
    for (auto& frame : chkFrames) frame.reset();
    numImages = 0;
}

void TZelkCapture::LoadCheckImages() {
    releaseImages();
    for (int n = 1; n <= kMaxImages; ++n) {
        const std::string path = triggerPath(n);
        if (!state_.platform.files.fileExists(path)) break;
        chkImages[n] = loadPicture(path);  // a picture that cannot be read ends the game start
        xSize = chkImages[n]->width;
        ySize = chkImages[n]->height;
        ++numImages;
    }
    if (numImages < 1) return;
    liveFrame = std::make_unique<TZelkFrame>(*chkImages[1], state_.exactColorMatch);
    BuildMasks();
    prepareChecks();
}

void TZelkCapture::BuildMasks() {
    for (int n = 1; n <= numImages; ++n) {
        const Bitmap24& picture = *chkImages[n];
        const MaskRect r = FindMarkerBox(picture).value_or(MaskRect{0, 0, picture.width, picture.height});
        MaskRects[n] = r;
        auto cut = std::make_unique<Bitmap24>(r.right - r.left, r.bottom - r.top);
        for (int32_t y = 0; y < cut->height; ++y) {
            std::memcpy(cut->row(y), picture.row(r.top + y) + static_cast<size_t>(r.left) * 3,
                        cut->stride());
        }
        chkImages[n] = std::move(cut);
        chkFrames[n] = std::make_unique<TZelkFrame>(*chkImages[n], state_.exactColorMatch);
    }
}

std::optional<MaskRect> TZelkCapture::FindMarkerBox(const Bitmap24& picture) {
    for (int32_t y = 0; y < picture.height; ++y) {
        const uint8_t* row = picture.row(y);
        for (int32_t x = 0; x < picture.width; ++x) {
            if (!isMarker(row + static_cast<size_t>(x) * 3)) continue;
            // Only the first marker pixel is examined; its top and left edges
            // decide, the right and bottom edges are assumed.
            int32_t k = 0;
            while (x + k < picture.width && isMarker(row + static_cast<size_t>(x + k) * 3)) ++k;
            int32_t l = 0;
            while (y + l < picture.height &&
                   isMarker(picture.row(y + l) + static_cast<size_t>(x) * 3)) {
                ++l;
            }
            if (k < 4 || l < 4) return std::nullopt;
            return MaskRect{y + 1, x + 1, x + k - 1, y + l - 1};
        }
    }
    return std::nullopt;
}

void TZelkCapture::DisconnectZELK() noexcept {
    state_.captureActive = false;
    if (!playerDisplay) return;
    state_.log("Free Object Display");
    playerDisplay.reset();
}

}  // namespace zelk::device
