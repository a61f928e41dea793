// The driver behind the exported entry points: settings, the four active
// entry points, the deferred game start and the intake of every frame into
// the frame bitmap (and, with RECORD=1, into the game's recording).
// No failure leaves an entry point: each step that can fail is contained
// where it happens, so the state changes of a successful call still take
// place, and the failure is logged while the log works.
#include "device/dmd_driver.h"

#include <optional>

#include "core/ini_file.h"
#include "device/frame_intake.h"
#include "device/frame_recorder.h"
#include "device/plugin_state.h"
#include "device/preview_settings.h"
#include "device/zelk_capture.h"

namespace zelk::device {
namespace {

constexpr const char* kSettingsFile = "dmddevicezelk.ini";
// Larger frames are not taken in: no DMD comes near, and the frame bitmap is
// allocated from the host's word alone.
constexpr int kMaxFrameSide = 4096;

}  // namespace

struct DmdDriver::State {
    explicit State(Platform platform) : plugin(platform) {}

    PluginState plugin;
    std::optional<Bitmap24> frameBitmap;     // created by the first frame taken in, never resized
    std::unique_ptr<TZelkCapture> capture;
    std::unique_ptr<PreviewWindow> previewForm;
    PreviewLook previewLook;                 // the preview keys, read at every Open
    FrameRecorder recorder{plugin};          // after plugin, which it uses until it goes

    void ReadSettings();
    void StartPendingGame();
    void previewDragEnded(int32_t x, int32_t y);
    void takeFrameIn(uint16_t width, uint16_t height, const uint8_t* frame);
};

DmdDriver::DmdDriver(Platform platform) : state_(std::make_unique<State>(platform)) {}

DmdDriver::~DmdDriver() {
    // Unloading writes nothing, so the capture set goes without its log line.
    state_->plugin.logEnabled = false;
    state_->capture.reset();
    state_->previewForm.reset();  // before the frame bitmap it paints
}

void DmdDriver::State::ReadSettings() {
    Settings& settings = plugin.platform.settings;
    std::optional<std::string> showDmdValue;
    std::optional<std::string> matchResetValue;
    std::optional<std::string> recordValue;
    try {
        const std::string file = plugin.pluginFolder + kSettingsFile;
        showDmdValue = settings.readProfileString(file, "SETTINGS", "SHOWDMD");
        matchResetValue = settings.readProfileString(file, "SETTINGS", "MATCHRESET");
        recordValue = settings.readProfileString(file, "SETTINGS", "RECORD");
    } catch (...) {
        // An unreadable settings file gives the defaults.
    }
    plugin.showDmd = profileIntegerOr(showDmdValue, 0) == 1;
    plugin.matchReset = profileIntegerOr(matchResetValue, 30);
    plugin.record = profileIntegerOr(recordValue, 0) == 1;
    previewLook = readPreviewLook(settings, plugin.pluginFolder + kSettingsFile);
}

// The plug-in's only write to its settings file, and only when asked for.
void DmdDriver::State::previewDragEnded(int32_t x, int32_t y) {
    if (!previewLook.savePosition) return;
    try {
        savePreviewPosition(plugin.platform.settings, plugin.pluginFolder + kSettingsFile, x, y);
    } catch (...) {
        plugin.logCurrentFailure("ERROR saving the preview position");
    }
}

bool DmdDriver::Open() noexcept {
    State& s = *state_;
    try {
        s.plugin.pluginFolder = s.plugin.platform.files.pluginFolder();
    } catch (...) {
        s.plugin.pluginFolder.clear();
    }
    s.ReadSettings();
    s.plugin.logEnabled = true;
    s.plugin.log("Open called", true);
    if (!s.plugin.record) s.recorder.stop();
    if (s.plugin.showDmd) {
        try {
            if (!s.previewForm) {
                State* owner = state_.get();
                s.previewForm = s.plugin.platform.previewWindows.create(
                    [owner]() -> const Bitmap24* { return owner->frameBitmap ? &*owner->frameBitmap : nullptr; },
                    [owner](int32_t x, int32_t y) { owner->previewDragEnded(x, y); });
            }
            if (s.previewForm) s.previewForm->show(s.previewLook);
        } catch (...) {
            s.plugin.logCurrentFailure("ERROR showing the preview window");
        }
    }
    return true;
}

bool DmdDriver::Close() noexcept {
    State& s = *state_;
    s.recorder.flush();
    if (s.capture) {
        // The variable is cleared before the object goes, as with every
        // single object of the plug-in. The destructor cannot throw.
        std::unique_ptr<TZelkCapture> doomed = std::move(s.capture);
        doomed.reset();
    }
    return true;
}

void DmdDriver::SetGameName(const char* name, int length) noexcept {
    PluginState& p = state_->plugin;
    try {
        const auto count = static_cast<int8_t>(static_cast<uint8_t>(length & 0xFF));
        std::string raw;
        if (count >= 1 && name != nullptr) raw = p.platform.clockAndText.ansiToUtf8(name, static_cast<size_t>(count));
        const size_t cut = raw.find_last_of("\\:");
        p.gameName = cut == std::string::npos ? raw : raw.substr(cut + 1);
        p.log("Set Game Name thread " + p.gameName);
        if (p.platform.clockAndText.upperCase(raw).starts_with("VANTOR\\")) {
            p.b2sInitRequested = true;
            p.log("Set B2S init");
        }
    } catch (...) {
        p.logCurrentFailure("ERROR setting the game name");
    }
    p.gameStartPending = true;
}

void DmdDriver::State::StartPendingGame() {
    plugin.gameStartPending = false;
    plugin.log("Start Thread Matching");
    try {
        if (!capture) capture = std::make_unique<TZelkCapture>(plugin);
        capture->initGame(plugin.gameName);
    } catch (...) {
        // Matching stays off for this game; the next SetGameName tries again.
        plugin.logCurrentFailure("ERROR starting game " + plugin.gameName);
    }
    recorder.startGame();
}

void DmdDriver::State::takeFrameIn(uint16_t width, uint16_t height, const uint8_t* frame) {
    // Empty, missing and oversized frames are not taken in; they never
    // create the frame bitmap.
    if (frame == nullptr || width == 0 || height == 0) return;
    if (width > kMaxFrameSide || height > kMaxFrameSide) return;
    if (!frameBitmap) {
        frameBitmap.emplace(width, height);
        if (plugin.showDmd && previewForm) {
            try {
                previewForm->fitToFrame(width, height);
            } catch (...) {
                plugin.logCurrentFailure("ERROR sizing the preview window");
            }
        }
    }
    // The frame bitmap keeps the first frame's size; a frame of another size
    // is skipped whole (not drawn, not matched), so nothing is ever read or
    // written past either buffer.
    if (frameBitmap->width != width || frameBitmap->height != height) return;

    const bool matching = plugin.captureActive && capture;
    const bool liveFilled = matching && capture->liveMaskFits(*frameBitmap);
    if (liveFilled) {
        copyFrameAndMask(frame, *frameBitmap, *capture->liveFrame(), plugin.exactColorMatch);
    } else {
        copyFrameToBitmap(frame, *frameBitmap);
    }
    if (plugin.showDmd && previewForm) {
        try {
            previewForm->refresh();
        } catch (...) {
            plugin.logCurrentFailure("ERROR painting the preview window");
        }
    }
    if (!matching) return;
    try {
        if (liveFilled) {
            capture->processFilledLiveFrame();
        } else {
            capture->processFrame(*frameBitmap);
        }
    } catch (...) {
        plugin.logCurrentFailure("ERROR matching frame");
    }
}

void DmdDriver::Render_RGB24(uint16_t width, uint16_t height, const uint8_t* frame) noexcept {
    State& s = *state_;
    try {
        if (s.plugin.gameStartPending) s.StartPendingGame();
        s.recorder.take(width, height, frame);
        if (!s.plugin.showDmd && !s.plugin.captureActive) return;
        s.takeFrameIn(width, height, frame);
    } catch (...) {
        // Only the frame bitmap's first allocation is left to fail here.
        s.plugin.logCurrentFailure("ERROR taking a frame in");
    }
}

void DmdDriver::setMatchReset(int32_t value) { state_->plugin.matchReset = value; }
int32_t DmdDriver::matchReset() const { return state_->plugin.matchReset; }
void DmdDriver::setFrameCounter(int32_t value) { state_->plugin.frameCounter = value; }
bool DmdDriver::captureActive() const { return state_->plugin.captureActive; }
const Bitmap24* DmdDriver::frameBitmap() const {
    return state_->frameBitmap ? &*state_->frameBitmap : nullptr;
}

const TZelkCapture* DmdDriver::capture() const { return state_->capture.get(); }

}  // namespace zelk::device
