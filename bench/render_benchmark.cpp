// The plug-in's frame path: Render_RGB24 with matching on, for 1, 50 and 500
// region triggers, on a typical DMD frame (dark background, lit dots,
// matching none of the triggers) and on a frame every trigger matches. Each
// figure is reported next to a plain memcpy of the frame's 12,288 bytes
// measured in the same run (counter x_memcpy), with the allocations per call
// after the first frame (counter allocs). Also: the intake pass alone with
// each kind of inner loops, a game start with 500 trigger pictures, and the
// frame path with recording (RECORD=1) on and off.
// The preview: Render_RGB24 with the preview on, its picture drawn through
// the raster the window uses (scale 1, scale 8 squares and round dots).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/bmp_writer.h"
#include "device/entry/dmd_driver.h"
#include "device/intake/frame_intake.h"
#include "device/entry/platform.h"
#include "device/preview/preview_raster.h"
#include "device/intake/shade_frame.h"

namespace {

std::atomic<long> gAllocations{0};
long gSends = 0;

}  // namespace

// Counting replacements of the global allocation functions. GCC takes the
// free() below for a mismatch with new once it inlines both; it is not one.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

using zelk::Bitmap24;
using zelk::device::DmdDriver;

constexpr int kWidth = 128;
constexpr int kHeight = 32;
constexpr size_t kFrameBytes = kWidth * kHeight * 3;

class QuietPlayer : public zelk::device::PlayerDisplay {
public:
    void B2SInit(const std::u16string&, const std::u16string&) override {}
    void B2SData(const std::u16string& text, int32_t) override {
        benchmark::DoNotOptimize(text.data());
        ++gSends;
    }
};

// Trigger pictures on disk, a quiet player, no log (the host never opened it);
// the other services are the system's own.
class BenchPlatform : public zelk::device::PlayerLink {
public:
    BenchPlatform() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelk-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        root_ = pattern + "/";
    }
    ~BenchPlatform() override {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    std::string findMediaRoot() override { return root_; }
    std::unique_ptr<zelk::device::PlayerDisplay> createPlayerDisplay() override {
        return std::make_unique<QuietPlayer>();
    }
    operator zelk::device::Platform() {
        const zelk::device::Platform host = zelk::device::hostPlatform();
        return {host.files, host.clockAndText, host.settings, *this, host.previewWindows};
    }
    void addTrigger(const std::string& game, int n, const Bitmap24& picture) {
        const std::string folder = root_ + game + "/ZelkCapture/";
        std::filesystem::create_directories(folder);
        const std::vector<uint8_t> bytes = zelk::writeBmp24(picture);
        std::ofstream(folder + std::to_string(n) + ".bmp", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::string root_;
};

// A DMD screen: black, with lit dots in an orange DMD colour at some density
// and a few dim ones that the threshold rule counts as dark.
Bitmap24 dmdScreen(std::mt19937& random, int litPercent) {
    Bitmap24 picture(kWidth, kHeight);
    for (size_t i = 0; i < picture.pixels.size(); i += 3) {
        const int roll = static_cast<int>(random() % 100);
        uint8_t* p = &picture.pixels[i];  // B, G, R
        if (roll < litPercent) {
            p[0] = 32, p[1] = 88, p[2] = 255;
        } else if (roll < litPercent + 5) {
            p[0] = 16, p[1] = 44, p[2] = 128;
        }
    }
    return picture;
}

std::vector<uint8_t> asRgbFrame(const Bitmap24& picture) {
    std::vector<uint8_t> rgb(picture.pixels.size());
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = picture.pixels[i + 2];
        rgb[i + 1] = picture.pixels[i + 1];
        rgb[i + 2] = picture.pixels[i];
    }
    return rgb;
}

// Draws a marker outline around the region (top, left, width, height).
void outline(Bitmap24& picture, int top, int left, int width, int height) {
    auto mark = [&](int x, int y) {
        uint8_t* p = picture.row(y) + x * 3;
        p[0] = 253, p[1] = 0, p[2] = 253;
    };
    for (int x = left - 1; x <= left + width; ++x) mark(x, top - 1), mark(x, top + height);
    for (int y = top - 1; y <= top + height; ++y) mark(left - 1, y), mark(left + width, y);
}

// Region triggers of random size and place. Typical: each trigger is its own
// DMD screen (matching none of the frames). Worst: each is the frame itself.
struct Scene {
    BenchPlatform platform;
    std::vector<uint8_t> frame;
};

void buildScene(Scene& scene, int triggers, bool everyTriggerMatches) {
    std::mt19937 random(static_cast<unsigned>(triggers) * 7919u + everyTriggerMatches);
    const Bitmap24 shown = dmdScreen(random, 20);
    scene.frame = asRgbFrame(shown);
    for (int n = 1; n <= triggers; ++n) {
        Bitmap24 picture = everyTriggerMatches ? shown : dmdScreen(random, 20);
        if (n > 1) {  // picture 1 stays whole: it gives the live mask its size
            const int width = 8 + static_cast<int>(random() % 100);
            const int height = 4 + static_cast<int>(random() % 24);
            const int left = 1 + static_cast<int>(random() % (kWidth - width - 1));
            const int top = 1 + static_cast<int>(random() % (kHeight - height - 1));
            outline(picture, top, left, width, height);
        }
        scene.platform.addTrigger("bench", n, picture);
    }
}

// The floor no frame path can beat, measured in this run.
// Mean wall time per copy over 0.1 s or so, measured as the benchmarks are.
template <typename Copy>
double meanNanoseconds(Copy copy) {
    const auto start = std::chrono::steady_clock::now();
    long count = 0;
    do {
        for (int i = 0; i < 1000; ++i) copy();
        count += 1000;
    } while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(100));
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    return took.count() / static_cast<double>(count);
}

double memcpyNanoseconds() {
    std::vector<uint8_t> from(kFrameBytes, 1);
    std::vector<uint8_t> to(kFrameBytes);
    return meanNanoseconds([&] {
        std::memcpy(to.data(), from.data(), kFrameBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    });
}

// A second yardstick: a plain loop of 8-byte copies that the compiler
// vectorises. Where the C library's memcpy is slow (as on some virtual
// machines, whose string instructions trap), this shows what a copy costs.
__attribute__((noinline)) void copyWords(uint64_t* to, const uint64_t* from, size_t count) {
    for (size_t i = 0; i < count; ++i) to[i] = from[i];
}

double copyLoopNanoseconds() {
    std::vector<uint64_t> from(kFrameBytes / 8, 1);
    std::vector<uint64_t> to(kFrameBytes / 8);
    return meanNanoseconds([&] {
        copyWords(to.data(), from.data(), to.size());
        benchmark::ClobberMemory();
    });
}

const double kMemcpyNs = memcpyNanoseconds();
const double kCopyLoopNs = copyLoopNanoseconds();

void BM_Memcpy12288(benchmark::State& state) {
    std::vector<uint8_t> from(kFrameBytes, 1);
    std::vector<uint8_t> to(kFrameBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kFrameBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFrameBytes));
}
BENCHMARK(BM_Memcpy12288);

void BM_CopyLoop12288(benchmark::State& state) {
    std::vector<uint64_t> from(kFrameBytes / 8, 1);
    std::vector<uint64_t> to(kFrameBytes / 8);
    for (auto _ : state) {
        copyWords(to.data(), from.data(), to.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFrameBytes));
}
BENCHMARK(BM_CopyLoop12288);

using zelk::device::IntakeLoops;

// Reports the ratios to both copies of the frame measured at start-up.
void reportPerCall(benchmark::State& state, std::chrono::steady_clock::time_point start) {
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    const double perCall = took.count() / static_cast<double>(state.iterations());
    state.counters["x_memcpy"] = perCall / kMemcpyNs;
    state.counters["x_copyloop"] = perCall / kCopyLoopNs;
}

void renderBenchmark(benchmark::State& state, bool everyTriggerMatches,
                     IntakeLoops loops = IntakeLoops::avx512) {
    if (zelk::device::useIntakeLoops(loops) != loops) {
        state.SkipWithError("the processor lacks these loops");
        return;
    }
    const int triggers = static_cast<int>(state.range(0));
    Scene scene;
    buildScene(scene, triggers, everyTriggerMatches);
    DmdDriver driver(scene.platform);
    driver.setMatchReset(30);
    driver.SetGameName("bench", 5);
    driver.Render_RGB24(kWidth, kHeight, scene.frame.data());  // game start and first frame
    if (!driver.captureActive()) {
        state.SkipWithError("the game start found no triggers");
        return;
    }
    // Exact count over 1000 calls outside the benchmark loop, whose own
    // bookkeeping may allocate now and then.
    const long warm = gAllocations.load();
    for (int i = 0; i < 1000; ++i) driver.Render_RGB24(kWidth, kHeight, scene.frame.data());
    state.counters["allocs_in_1000_calls"] = static_cast<double>(gAllocations.load() - warm);
    const long before = gAllocations.load();
    const long sendsBefore = gSends;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        driver.Render_RGB24(kWidth, kHeight, scene.frame.data());
        benchmark::ClobberMemory();
    }
    reportPerCall(state, start);
    zelk::device::useIntakeLoops(IntakeLoops::avx512);
    state.counters["allocs"] =
        static_cast<double>(gAllocations.load() - before) / static_cast<double>(state.iterations());
    state.counters["sends"] = static_cast<double>(gSends - sendsBefore) / static_cast<double>(state.iterations());
}

void BM_Render_TypicalFrame(benchmark::State& state) { renderBenchmark(state, false); }
void BM_Render_EveryTriggerMatches(benchmark::State& state) { renderBenchmark(state, true); }
BENCHMARK(BM_Render_TypicalFrame)->Arg(1)->Arg(50)->Arg(500);
BENCHMARK(BM_Render_EveryTriggerMatches)->Arg(1)->Arg(50)->Arg(500);

// The same typical frame with the intake loops of processors without
// AVX-512, without AVX2 or without SSSE3.
void BM_Render_TypicalFrameAvx2(benchmark::State& state) { renderBenchmark(state, false, IntakeLoops::avx2); }
void BM_Render_TypicalFrameSsse3(benchmark::State& state) { renderBenchmark(state, false, IntakeLoops::ssse3); }
void BM_Render_TypicalFramePlainLoops(benchmark::State& state) {
    renderBenchmark(state, false, IntakeLoops::plain);
}
BENCHMARK(BM_Render_TypicalFrameAvx2)->Arg(1)->Arg(500);
BENCHMARK(BM_Render_TypicalFrameSsse3)->Arg(1);
BENCHMARK(BM_Render_TypicalFramePlainLoops)->Arg(1)->Arg(500);

// The intake pass alone (frame bitmap and live mask of the whole frame) with
// each kind of loops: argument 0 plain, 1 SSSE3, 2 AVX2, 3 AVX-512.
void BM_Intake(benchmark::State& state) {
    const auto loops = static_cast<IntakeLoops>(state.range(0));
    if (zelk::device::useIntakeLoops(loops) != loops) {
        state.SkipWithError("the processor lacks these loops");
        return;
    }
    std::mt19937 random(1);
    const std::vector<uint8_t> frame = asRgbFrame(dmdScreen(random, 20));
    Bitmap24 bitmap(kWidth, kHeight);
    zelk::device::TZelkFrame live(Bitmap24(kWidth, kHeight), false);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        zelk::device::copyFrameAndMask(frame.data(), bitmap, live, false);
        benchmark::ClobberMemory();
    }
    reportPerCall(state, start);
    zelk::device::useIntakeLoops(IntakeLoops::avx512);
}
BENCHMARK(BM_Intake)->Arg(0)->Arg(1)->Arg(2)->Arg(3);

// SetGameName and the frame that runs the game start: find the folder, read
// and decode 500 pictures, cut them, make 500 masks and the live mask.
void BM_GameStart500Pictures(benchmark::State& state) {
    Scene scene;
    buildScene(scene, 500, false);
    DmdDriver driver(scene.platform);
    for (auto _ : state) {
        driver.SetGameName("bench", 5);
        driver.Render_RGB24(kWidth, kHeight, scene.frame.data());
    }
    if (!driver.captureActive()) state.SkipWithError("the game start found no triggers");
}
BENCHMARK(BM_GameStart500Pictures)->Unit(benchmark::kMillisecond);

// The preview window as far as it is ours: every refresh draws the enlarged
// frame into a canvas of the window's size, as the Win32 window draws into
// its DIB section before the system blits it.
class RasterPreview : public zelk::device::PreviewWindow {
public:
    explicit RasterPreview(zelk::device::FrameBitmapSource source) : source_(std::move(source)) {}
    void show(const zelk::device::PreviewLook& look) override { look_ = look; }
    void fitToFrame(int width, int height) override {
        scale_ = zelk::device::fittingScale(width, height, look_.scale);
        raster_.setLook(scale_, look_.dots);
        canvas_.resize(static_cast<size_t>(width * scale_) * static_cast<size_t>(height * scale_));
    }
    void refresh() override {
        source_([this](const Bitmap24* frame) {
            raster_.draw(*frame, canvas_.data(), static_cast<size_t>(frame->width * scale_));
        });
        benchmark::DoNotOptimize(canvas_.data());
    }

private:
    zelk::device::FrameBitmapSource source_;
    zelk::device::PreviewLook look_;
    zelk::device::PreviewRaster raster_;
    int scale_ = 1;
    std::vector<uint32_t> canvas_;
};

// SHOWDMD=1 with the look under test, the log in a folder of its own.
class PreviewPlatform : public zelk::device::Settings,
                        public zelk::device::Files,
                        public zelk::device::PreviewWindows {
public:
    PreviewPlatform(int scale, bool dots) : scale_(scale), dots_(dots) {}
    std::optional<std::string> readProfileString(const std::string&, const std::string&,
                                                 const std::string& key) override {
        if (key == "SHOWDMD") return "1";
        if (key == "PREVIEWSCALE") return std::to_string(scale_);
        if (key == "PREVIEWDOTS") return dots_ ? "1" : "0";
        return std::nullopt;
    }
    void writeProfileString(const std::string&, const std::string&, const std::string&,
                            const std::string&) override {}
    std::string pluginFolder() override { return scene_.platform.findMediaRoot(); }
    char pathSeparator() const override { return host_.files.pathSeparator(); }
    bool directoryExists(const std::string& path) override { return host_.files.directoryExists(path); }
    bool fileExists(const std::string& path) override { return host_.files.fileExists(path); }
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) override {
        return host_.files.readFile(path, maxBytes);
    }
    void writeLogLine(const std::string& path, const std::string& line, bool fresh) override {
        host_.files.writeLogLine(path, line, fresh);
    }
    void createFolder(const std::string& path) override { host_.files.createFolder(path); }
    void writeBytes(const std::string& path, const std::string& bytes, bool fresh) override {
        host_.files.writeBytes(path, bytes, fresh);
    }
    std::unique_ptr<zelk::device::PreviewWindow> create(zelk::device::FrameBitmapSource source,
                                                        zelk::device::DragEndSink) override {
        return std::make_unique<RasterPreview>(std::move(source));
    }
    operator zelk::device::Platform() { return {*this, host_.clockAndText, *this, scene_.platform, *this}; }
    Scene& scene() { return scene_; }

private:
    int scale_;
    bool dots_;
    zelk::device::Platform host_ = zelk::device::hostPlatform();
    Scene scene_;
};

// Arguments: scale, dots (0 or 1). No game runs: the frame is taken in and painted.
void BM_Render_Preview(benchmark::State& state) {
    PreviewPlatform platform(static_cast<int>(state.range(0)), state.range(1) != 0);
    buildScene(platform.scene(), 0, false);
    DmdDriver driver(platform);
    driver.Open();
    const std::vector<uint8_t>& frame = platform.scene().frame;
    driver.Render_RGB24(kWidth, kHeight, frame.data());  // sizes the window and its canvas
    const long before = gAllocations.load();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        driver.Render_RGB24(kWidth, kHeight, frame.data());
        benchmark::ClobberMemory();
    }
    reportPerCall(state, start);
    state.counters["allocs"] =
        static_cast<double>(gAllocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Render_Preview)->Args({1, 0})->Args({8, 0})->Args({8, 1})->Args({16, 1});

// The host's own files, but the plug-in's folder is the scene's: settings,
// log and recordings land there.
class SceneFiles : public zelk::device::Files {
public:
    explicit SceneFiles(std::string folder) : folder_(std::move(folder)) {}
    std::string pluginFolder() override { return folder_; }
    char pathSeparator() const override { return host().pathSeparator(); }
    bool directoryExists(const std::string& path) override { return host().directoryExists(path); }
    bool fileExists(const std::string& path) override { return host().fileExists(path); }
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) override {
        return host().readFile(path, maxBytes);
    }
    void writeLogLine(const std::string& path, const std::string& line, bool fresh) override {
        host().writeLogLine(path, line, fresh);
    }
    void createFolder(const std::string& path) override { host().createFolder(path); }
    void writeBytes(const std::string& path, const std::string& bytes, bool fresh) override {
        host().writeBytes(path, bytes, fresh);
    }

private:
    static zelk::device::Files& host() { return zelk::device::hostPlatform().files; }
    std::string folder_;
};

// Render_RGB24 after Open, one trigger, typical frames; argument 0: the frame
// changes with every call (two screens in turn, each a frame record written
// to the disk), 1: the same frame again (a repeat). Recording on or off, the
// rest alike. Iterations are fixed so that a recording stays below its size
// limit (beyond it nothing more is written, which would flatter the figure).
void recordingBenchmark(benchmark::State& state, bool record) {
    const bool changing = state.range(0) == 0;
    Scene scene;
    buildScene(scene, 1, false);
    std::mt19937 random(99);
    const std::vector<uint8_t> other = asRgbFrame(dmdScreen(random, 20));
    const std::string folder = scene.platform.findMediaRoot();
    std::ofstream(folder + "dmddevicezelk.ini") << "[SETTINGS]\r\nRECORD=" << (record ? 1 : 0) << "\r\n";
    SceneFiles files(folder);
    const zelk::device::Platform bench = scene.platform;
    DmdDriver driver({files, bench.clockAndText, bench.settings, bench.playerLink, bench.previewWindows});
    driver.Open();
    driver.SetGameName("bench", 5);
    driver.Render_RGB24(kWidth, kHeight, scene.frame.data());
    if (!driver.captureActive()) {
        state.SkipWithError("the game start found no triggers");
        return;
    }
    long call = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const bool second = changing && (++call & 1) != 0;
        driver.Render_RGB24(kWidth, kHeight, second ? other.data() : scene.frame.data());
        benchmark::ClobberMemory();
    }
    driver.Close();
    reportPerCall(state, start);
}

void BM_Render_RecordingOff(benchmark::State& state) { recordingBenchmark(state, false); }
void BM_Render_RecordingOn(benchmark::State& state) { recordingBenchmark(state, true); }
BENCHMARK(BM_Render_RecordingOff)->Arg(0)->Arg(1)->Iterations(20000);
BENCHMARK(BM_Render_RecordingOn)->Arg(0)->Arg(1)->Iterations(20000);

// A PinMAME-style host (SHADEDHOST=1): the same typical DMD screen, one
// trigger, sent as 16 shades (argument 0: 1), as 4 shades (2), or as the
// RGB24 frame those shades become (0), with the intake loops of argument 1
// (1 SSSE3, 3 AVX-512). The shaded frames cost their conversion on top.
void BM_Render_ShadedHost(benchmark::State& state) {
    const auto loops = static_cast<IntakeLoops>(state.range(1));
    if (zelk::device::useIntakeLoops(loops) != loops) {
        state.SkipWithError("the processor lacks these loops");
        return;
    }
    const int kind = static_cast<int>(state.range(0));
    const zelk::device::ShadeCount count = kind == 2 ? zelk::device::ShadeCount::four : zelk::device::ShadeCount::sixteen;
    std::mt19937 random(5);
    std::vector<uint8_t> shades(kWidth * kHeight);
    for (auto& shade : shades) {
        const int roll = static_cast<int>(random() % 100);
        shade = roll < 20 ? 15 : (roll < 25 ? 4 : 0);
        if (kind == 2) shade = static_cast<uint8_t>(shade / 5);
    }
    std::vector<uint8_t> rgb(kFrameBytes);
    zelk::device::shadesToRgb(shades.data(), rgb.data(), shades.size(), count);
    Scene scene;
    buildScene(scene, 1, false);
    const std::string folder = scene.platform.findMediaRoot();
    std::ofstream(folder + "dmddevicezelk.ini") << "[SETTINGS]\r\nSHADEDHOST=1\r\n";
    SceneFiles files(folder);
    const zelk::device::Platform bench = scene.platform;
    DmdDriver driver({files, bench.clockAndText, bench.settings, bench.playerLink, bench.previewWindows});
    driver.Open();
    driver.PM_GameSettings("bench", 0, nullptr);
    const auto frame = [&] {
        if (kind == 0) {
            driver.Render_RGB24(kWidth, kHeight, rgb.data());
        } else if (kind == 1) {
            driver.Render_16_Shades(kWidth, kHeight, shades.data());
        } else {
            driver.Render_4_Shades(kWidth, kHeight, shades.data());
        }
    };
    frame();  // the game start
    if (!driver.captureActive()) {
        state.SkipWithError("the game start found no triggers");
        return;
    }
    const long before = gAllocations.load();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        frame();
        benchmark::ClobberMemory();
    }
    reportPerCall(state, start);
    state.counters["allocs"] =
        static_cast<double>(gAllocations.load() - before) / static_cast<double>(state.iterations());
    zelk::device::useIntakeLoops(IntakeLoops::avx512);
}
BENCHMARK(BM_Render_ShadedHost)->ArgsProduct({{0, 1, 2}, {1, 3}});

}  // namespace

BENCHMARK_MAIN();
