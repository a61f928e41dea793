// The driver behind the exported entry points: settings, the four active
// entry points, the deferred game start and the intake of every frame into
// the frame bitmap (and, with RECORD=1, into the game's recording); with
// SHADEDHOST=1 also the game start and frames of PinMAME-style hosts, and
// with FORWARD=<file> every call passed on to a DMD driver first.
// No failure leaves an entry point: each step that can fail is contained
// where it happens, so the state changes of a successful call still take
// place, and the failure is logged while the log works.
#include "device/entry/dmd_driver.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "core/ini_file.h"
#include "device/intake/frame_intake.h"
#include "device/recording/frame_recorder.h"
#include "device/forward/legacy_frame.h"
#include "device/entry/plugin_state.h"
#include "device/preview/preview_settings.h"
#include "device/entry/settings_keys.h"
#include "device/intake/shade_frame.h"
#include "device/matching/zelk_capture.h"

namespace zelk::device {
namespace {

constexpr const char* kSettingsFile = kSettingsFileName;
// Larger frames are not taken in: no DMD comes near, and the frame bitmap is
// allocated from the host's word alone.
constexpr int kMaxFrameSide = 4096;
// A PM_GameSettings name is read up to its zero byte, and no further than
// the longest name SetGameName takes.
constexpr size_t kMaxGameName = 127;

// A call passed on to the FORWARD library: whatever it does, nothing thrown
// in it reaches the host through us.
template <typename Call>
void passOn(const Call& call) noexcept {
    try {
        call();
    } catch (...) {
    }
}

// The drivers whose entry points this thread is inside, innermost last. Plain
// values only: nothing to destroy when a host's thread ends.
constexpr int kMaxNestedDrivers = 8;
thread_local const void* tInside[kMaxNestedDrivers];
thread_local int tInsideCount = 0;

// Once a call has come back to a driver through a loop of forwarders, two
// host threads that enter the loop at different plug-ins can each hold the
// lock the other one waits for. The driver then waits this long at most and
// drops the call, rather than hanging both hosts for good.
constexpr auto kLoopLockWait = std::chrono::milliseconds(200);

}  // namespace

struct DmdDriver::State {
    explicit State(Platform platform) : plugin(platform) {}

    // Held by every entry point and by the preview's paint. Recursive: the
    // preview window's owner repaints within its own Render call.
    std::recursive_mutex lock;
    // A call came back to this driver on its own thread: it sits in a loop.
    std::atomic<bool> inLoop{false};
    PluginState plugin;
    std::optional<Bitmap24> frameBitmap;     // created by the first frame taken in, never resized
    std::unique_ptr<TZelkCapture> capture;
    std::unique_ptr<PreviewWindow> previewForm;
    PreviewLook previewLook;                 // the preview keys, read at every Open
    FrameRecorder recorder{plugin};          // after plugin, which it uses until it goes
    std::string forwardFile;                 // FORWARD, read at every Open
    DeviceForward forward;
    ShadeFrame shadeFrame;
    GameKind gameKind;                       // of the last PM_GameSettings, for luminance frames
    LegacyFrame legacyFrame;

    void ReadSettings();
    std::string forwardPath() const;
    void setGameName(const char* name, int length) noexcept;
    void renderRgb24(uint16_t width, uint16_t height, const uint8_t* frame) noexcept;
    void renderShades(uint16_t width, uint16_t height, const uint8_t* frame, ShadeCount count) noexcept;
    bool shadesRead() const;
    void StartPendingGame();
    void previewDragEnded(int32_t x, int32_t y);
    void takeFrameIn(uint16_t width, uint16_t height, const uint8_t* frame);
};

DmdDriver::DmdDriver(Platform platform) : state_(std::make_unique<State>(platform)) {}

// One entry point's call: refused when this thread is inside the same
// driver already (the call came back through a chain of forwarders), else
// under the driver's lock for its whole length.
class DmdDriver::Entry {
public:
    explicit Entry(const DmdDriver& driver) noexcept : driver_(&driver) {
        State& s = *driver.state_;
        for (int i = 0; i < tInsideCount; ++i) {
            if (tInside[i] == driver_) {
                s.inLoop.store(true, std::memory_order_relaxed);
                return;
            }
        }
        // Deeper than any real chain: refused rather than risking the stack.
        if (tInsideCount == kMaxNestedDrivers || !acquire(s)) return;
        tInside[tInsideCount++] = driver_;
        entered_ = true;
    }
    ~Entry() {
        if (!entered_) return;
        --tInsideCount;
        driver_->state_->lock.unlock();
    }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    explicit operator bool() const { return entered_; }

private:
    // A lock the system refuses (it throws) drops the call, not the host.
    // In a loop, the lock is tried until the bound: a timed lock would do,
    // but ThreadSanitizer cannot follow one.
    static bool acquire(State& s) noexcept {
        try {
            if (!s.inLoop.load(std::memory_order_relaxed)) {
                s.lock.lock();
                return true;
            }
            const auto giveUp = std::chrono::steady_clock::now() + kLoopLockWait;
            while (!s.lock.try_lock()) {
                if (std::chrono::steady_clock::now() > giveUp) return false;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            return true;
        } catch (...) {
            return false;
        }
    }

    const DmdDriver* driver_;
    bool entered_ = false;
};

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
    std::optional<std::string> shadedHostValue;
    std::optional<std::string> forwardValue;
    try {
        const std::string file = plugin.pluginFolder + kSettingsFile;
        showDmdValue = settings.readProfileString(file, kSettingsSection, kShowDmdKey.name);
        matchResetValue = settings.readProfileString(file, kSettingsSection, kMatchResetKey.name);
        recordValue = settings.readProfileString(file, kSettingsSection, kRecordKey.name);
        shadedHostValue = settings.readProfileString(file, kSettingsSection, kShadedHostKey.name);
        forwardValue = settings.readProfileString(file, kSettingsSection, kForwardKey.name);
    } catch (...) {
        // An unreadable settings file gives the defaults.
    }
    plugin.showDmd = profileIntegerOr(showDmdValue, kShowDmdKey.defaultNumber) == 1;
    plugin.matchReset = profileIntegerOr(matchResetValue, kMatchResetKey.defaultNumber);
    plugin.record = profileIntegerOr(recordValue, kRecordKey.defaultNumber) == 1;
    plugin.shadedHost = profileIntegerOr(shadedHostValue, kShadedHostKey.defaultNumber) == 1;
    forwardFile = forwardValue.value_or("");
    previewLook = readPreviewLook(settings, plugin.pluginFolder + kSettingsFile);
}

// FORWARD names a file beside the plug-in or a full path.
std::string DmdDriver::State::forwardPath() const {
    if (forwardFile.empty()) return {};
    const bool absolute = forwardFile[0] == '/' || forwardFile[0] == '\\' ||
                          (forwardFile.size() > 1 && forwardFile[1] == ':');
    return absolute ? forwardFile : plugin.pluginFolder + forwardFile;
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
    const Entry entry(*this);
    if (!entry) return true;
    State& s = *state_;
    try {
        s.plugin.pluginFolder = s.plugin.platform.files.pluginFolder();
    } catch (...) {
        s.plugin.pluginFolder.clear();
    }
    s.ReadSettings();
    std::string forwardNote;
    try {
        forwardNote = s.forward.attach(s.plugin.platform.deviceLibraries, s.forwardPath());
    } catch (...) {
        forwardNote = "ERROR forwarding, forwarding off: " + s.forwardPath();
    }
    passOn([&] { s.forward.call(&DmdDeviceTable::Open); });
    s.plugin.logEnabled = true;
    s.plugin.log("Open called", true);
    if (!forwardNote.empty()) s.plugin.log(forwardNote);
    if (!s.plugin.record) s.recorder.stop();
    if (s.plugin.showDmd) {
        try {
            if (!s.previewForm) {
                // The window's own thread paints and ends drags at any time:
                // under the lock, as an entry point would.
                State* owner = state_.get();
                s.previewForm = s.plugin.platform.previewWindows.create(
                    [owner](const FramePaint& paint) {
                        const std::lock_guard held(owner->lock);
                        paint(owner->frameBitmap ? &*owner->frameBitmap : nullptr);
                    },
                    [owner](int32_t x, int32_t y) {
                        const std::lock_guard held(owner->lock);
                        owner->previewDragEnded(x, y);
                    });
            }
            if (s.previewForm) s.previewForm->show(s.previewLook);
        } catch (...) {
            s.plugin.logCurrentFailure("ERROR showing the preview window");
        }
    }
    return true;
}

bool DmdDriver::Close() noexcept {
    const Entry entry(*this);
    if (!entry) return true;
    State& s = *state_;
    passOn([&] { s.forward.call(&DmdDeviceTable::Close); });
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
    const Entry entry(*this);
    if (!entry) return;
    passOn([&] { state_->forward.call(&DmdDeviceTable::SetGameName, name, length); });
    state_->setGameName(name, length);
}

void DmdDriver::State::setGameName(const char* name, int length) noexcept {
    PluginState& p = plugin;
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
    const Entry entry(*this);
    if (!entry) return;
    passOn([&] {
        state_->forward.call(&DmdDeviceTable::Render_RGB24, width, height, reinterpret_cast<const rgb24*>(frame));
    });
    state_->renderRgb24(width, height, frame);
}

void DmdDriver::State::renderRgb24(uint16_t width, uint16_t height, const uint8_t* frame) noexcept {
    try {
        if (plugin.gameStartPending) StartPendingGame();
        recorder.take(width, height, frame);
        if (!plugin.showDmd && !plugin.captureActive) return;
        takeFrameIn(width, height, frame);
    } catch (...) {
        // Only the frame bitmap's first allocation is left to fail here.
        plugin.logCurrentFailure("ERROR taking a frame in");
    }
}

// A shaded frame goes the way of an RGB24 frame of its size; one that the
// plug-in would not take in still runs a pending game start. Nothing reads
// the frame when no game start is pending and neither the preview, matching
// nor a recording is on (a shaded host playing a game without a pack), so
// it is not converted then.
bool DmdDriver::State::shadesRead() const {
    return plugin.shadedHost &&
           (plugin.gameStartPending || plugin.showDmd || plugin.captureActive || recorder.recording());
}

void DmdDriver::State::renderShades(uint16_t width, uint16_t height, const uint8_t* frame,
                                    ShadeCount count) noexcept {
    if (!plugin.shadedHost) return;
    const uint8_t* rgb = nullptr;
    try {
        if (shadesRead()) rgb = shadeFrame.convert(width, height, frame, count, kMaxFrameSide);
    } catch (...) {
        plugin.logCurrentFailure("ERROR taking a frame in");
    }
    renderRgb24(width, height, rgb);
}

void DmdDriver::PM_GameSettings(const char* gameName, uint64_t hardwareGeneration,
                                const tPMoptions* options) noexcept {
    const Entry entry(*this);
    if (!entry) return;
    State& s = *state_;
    passOn([&] { s.forward.call(&DmdDeviceTable::PM_GameSettings, gameName, hardwareGeneration, options); });
    if (gameName == nullptr) return;
    const size_t length = strnlen(gameName, kMaxGameName);
    // Luminance frames follow the game's shades and hardware; a longer name
    // than the bound still counts by its beginning.
    s.gameKind = GameKind::of(std::string(gameName, length).c_str(), hardwareGeneration);
    // The control program opens its device with an empty name: no game.
    if (s.plugin.shadedHost && length > 0) s.setGameName(gameName, static_cast<int>(length));
}

void DmdDriver::Render_4_Shades(uint16_t width, uint16_t height, const uint8_t* frame) noexcept {
    const Entry entry(*this);
    if (!entry) return;
    passOn([&] { state_->forward.call(&DmdDeviceTable::Render_4_Shades, width, height, frame); });
    state_->renderShades(width, height, frame, ShadeCount::four);
}

void DmdDriver::Render_16_Shades(uint16_t width, uint16_t height, const uint8_t* frame) noexcept {
    const Entry entry(*this);
    if (!entry) return;
    passOn([&] { state_->forward.call(&DmdDeviceTable::Render_16_Shades, width, height, frame); });
    state_->renderShades(width, height, frame, ShadeCount::sixteen);
}

void DmdDriver::Render_4_Shades_with_Raw(uint16_t width, uint16_t height, const uint8_t* frame, uint32_t rawCount,
                                         const uint8_t* raw) noexcept {
    const Entry entry(*this);
    if (!entry) return;
    passOn([&] { state_->forward.Render_4_Shades_with_Raw(width, height, frame, rawCount, raw); });
    state_->renderShades(width, height, frame, ShadeCount::four);
}

void DmdDriver::Render_16_Shades_with_Raw(uint16_t width, uint16_t height, const uint8_t* frame,
                                          uint32_t rawCount, const uint8_t* raw) noexcept {
    const Entry entry(*this);
    if (!entry) return;
    passOn([&] { state_->forward.Render_16_Shades_with_Raw(width, height, frame, rawCount, raw); });
    state_->renderShades(width, height, frame, ShadeCount::sixteen);
}

// The legacy frame is made only when the driver behind lacks the call or the
// plug-in reads the frame itself.
void DmdDriver::Render_Lum_And_Raw(uint16_t width, uint16_t height, const uint8_t* lum, const uint8_t* ident,
                                   uint32_t rawCount, const uint8_t* raw) noexcept {
    const Entry entry(*this);
    if (!entry) return;
    State& s = *state_;
    const bool sixteen = s.gameKind.sixteenShades();
    const uint8_t* frame = nullptr;
    try {
        const bool translated = s.forward.forwarding() && !s.forward.has(DmdEntry::Render_Lum_And_Raw);
        if (translated || s.shadesRead()) frame = s.legacyFrame.fromLum(width, height, lum, ident, s.gameKind, kMaxFrameSide);
    } catch (...) {
        s.plugin.logCurrentFailure("ERROR taking a frame in");
    }
    passOn([&] { s.forward.Render_Lum_And_Raw(width, height, lum, ident, rawCount, raw, frame, sixteen); });
    s.renderShades(width, height, frame, sixteen ? ShadeCount::sixteen : ShadeCount::four);
}

void DmdDriver::Render_FloatLum_And_Raw(uint16_t width, uint16_t height, const float* lum, const uint8_t* ident,
                                        uint8_t identBits) noexcept {
    const Entry entry(*this);
    if (!entry) return;
    State& s = *state_;
    const bool sixteen = sixteenShadesOfIdentBits(identBits);
    const uint8_t* frame = nullptr;
    try {
        const bool translated = s.forward.forwarding() && !s.forward.has(DmdEntry::Render_FloatLum_And_Raw);
        if (translated || s.shadesRead())
            frame = s.legacyFrame.fromFloatLum(width, height, lum, ident, identBits, s.gameKind, kMaxFrameSide);
    } catch (...) {
        s.plugin.logCurrentFailure("ERROR taking a frame in");
    }
    passOn([&] { s.forward.Render_FloatLum_And_Raw(width, height, lum, ident, identBits, frame, sixteen); });
    s.renderShades(width, height, frame, sixteen ? ShadeCount::sixteen : ShadeCount::four);
}

// The palette is the host's choice for its own display; the plug-in keeps
// its fixed ramp so that packs match on every cabinet.
void DmdDriver::Set_4_Colors_Palette(rgb24 color0, rgb24 color33, rgb24 color66, rgb24 color100) noexcept {
    const Entry entry(*this);
    if (!entry) return;
    passOn([&] { state_->forward.call(&DmdDeviceTable::Set_4_Colors_Palette, color0, color33, color66, color100); });
}

void DmdDriver::Set_16_Colors_Palette(const rgb24* colors) noexcept {
    const Entry entry(*this);
    if (!entry) return;
    passOn([&] { state_->forward.call(&DmdDeviceTable::Set_16_Colors_Palette, colors); });
}

void DmdDriver::Render_PM_Alphanumeric_Frame(layout_t layout, const uint16_t* segData,
                                             const uint16_t* segData2) noexcept {
    const Entry entry(*this);
    if (!entry) return;
    passOn([&] { state_->forward.call(&DmdDeviceTable::Render_PM_Alphanumeric_Frame, layout, segData, segData2); });
}

void DmdDriver::Render_PM_Alphanumeric_Dim_Frame(layout_t layout, const uint16_t* segData, const char* dim,
                                                 const uint16_t* segData2) noexcept {
    const Entry entry(*this);
    if (!entry) return;
    passOn([&] { state_->forward.Render_PM_Alphanumeric_Dim_Frame(layout, segData, dim, segData2); });
}

void DmdDriver::Console_Data(uint8_t data) noexcept {
    const Entry entry(*this);
    if (!entry) return;
    passOn([&] { state_->forward.call(&DmdDeviceTable::Console_Data, data); });
}

// The plug-in has no console of its own; the host ignores the result.
int DmdDriver::Console_Input_Ptr(DmdConsoleRead read) noexcept {
    const Entry entry(*this);
    if (!entry) return 0;
    int result = 0;
    passOn([&] { result = state_->forward.Console_Input_Ptr(read); });
    return result;
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
