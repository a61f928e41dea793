// TZelkCapture: the game start (trigger folder, trigger pictures) and the
// player link's lifetime. Matching lives in zelk_matching.cpp.
#include "device/matching/zelk_capture.h"

#include "core/utf8.h"

namespace zelk::device {

TZelkCapture::TZelkCapture(PluginState& state) : state_(state) { state_.log("create ZelkCap"); }

TZelkCapture::~TZelkCapture() {
    triggers_.clear();
    disconnectPlayer();
}

void TZelkCapture::initGame(const std::string& gName) {
    state_.log("Init Game name:" + gName);
    state_.captureActive = false;
    Platform& platform = state_.platform;
    const std::string sep(1, platform.files.pathSeparator());
    const std::string captureFolder = platform.playerLink.findMediaRoot() + gName + sep + kCaptureFolderName;
    if (!platform.files.directoryExists(captureFolder)) {
        state_.log("No ZelkCapture found:  nothing to do");
        return;
    }
    state_.exactColorMatch = exactColorMatchSelected(platform.files, captureFolder);
    if (!playerDisplay_) {
        state_.log("Create Object Display");
        playerDisplay_ = platform.playerLink.createPlayerDisplay();
    }
    state_.log("imagedir:" + captureFolder);
    loadCheckImages(captureFolder);
    state_.log("num images " + std::to_string(numImages()));
    state_.captureActive = false;
    if (numImages() == 0) {
        disconnectPlayer();
        return;
    }
    state_.captureActive = true;
    state_.lastMatch = -1;
    if (state_.b2sInitRequested && playerDisplay_) {
        // Matching is on by now and stays on: a player that cannot be reached
        // is reported like a failed trigger send.
        try {
            playerDisplay_->B2SInit(u"", utf8ToUtf16(gName));
        } catch (...) {
            state_.logCurrentFailure("ERROR sending b2sinit");
        }
    }
}

// Pictures 1, 2, ... up to the first number without a file. A picture that
// cannot be read ends the game start; those read before it stay in the set.
void TZelkCapture::loadCheckImages(const std::string& captureFolder) {
    triggers_.clear();
    Platform& platform = state_.platform;
    for (int n = 1; n <= kMaxImages; ++n) {
        const std::string path = captureFolder + platform.files.pathSeparator() + triggerPictureName(n);
        if (!platform.files.fileExists(path)) break;
        triggers_.add(readTriggerPicture(platform.files, path).picture, state_.exactColorMatch);
    }
    for (const int n : triggers_.prepare()) {
        state_.log("trigger image " + std::to_string(n) +
                   " lies outside the live mask (trigger image 1): it never matches");
    }
}

void TZelkCapture::disconnectPlayer() noexcept {
    state_.captureActive = false;
    if (!playerDisplay_) return;
    state_.log("Free Object Display");
    playerDisplay_.reset();
}

}  // namespace zelk::device
