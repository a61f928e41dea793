// zelkdmd replay: runs recorded DMD frames through the plug-in's own code
// (DmdDriver, the code behind Render_RGB24) and prints every trigger it sends
// to the player as "<frame> D<n>", frames numbered from 1 across all inputs,
// or with --explain a report per trigger. Standard output carries those lines
// only; everything else goes to stderr.
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/png_writer.h"
#include "device/entry/dmd_driver.h"
#include "device/matching/zelk_capture.h"
#include "platform/file_write.h"
#include "tools/zelkdmd/commands.h"
#include "tools/zelkdmd/contact_sheet.h"
#include "tools/zelkdmd/progress.h"
#include "tools/zelkdmd/replay_explain.h"
#include "tools/zelkdmd/replay_inputs.h"
#include "tools/zelkdmd/replay_options.h"
#include "tools/zelkdmd/replay_player_link.h"
#include "tools/zelkdmd/utf8_path.h"

namespace zelk::tools {
namespace {

namespace fs = std::filesystem;

constexpr int kUsageExit = 2;
constexpr int kInputExit = 1;
// A sheet of 64 DMD frames at 4x is about 1100 by 5600 pixels: as much as a
// person scrolls through.
constexpr size_t kMaxSheetTiles = 64;
// That sheet is about 6 million pixels; frames so large that the sheet would
// pass 24 million (72 MiB in memory, one 4096x4096 frame fits) are left out
// before they are copied.
constexpr uint64_t kMaxSheetPixels = 24'000'000;

// The plug-in keeps only the part of the name after its last backslash or colon.
// The path in single quotes. Built by appending: GCC 12 warns falsely
// (-Wrestrict inside libstdc++) about "'" + path.string() at -O3.
std::string quoted(const fs::path& path) {
    std::string text(1, '\'');
    text += utf8Of(path);
    text += '\'';
    return text;
}

std::string folderGameName(const std::string& game) {
    const size_t cut = game.find_last_of("\\:");
    return cut == std::string::npos ? game : game.substr(cut + 1);
}

// The plug-in logs why a game start left matching off, but the replay runs
// without its log (no Open, so nothing is written beside the tool). Tell the
// user what the log would have said.
std::string whyMatchingIsOff(const ReplayOptions& options) {
    const fs::path folder = pathOf(options.mediaRoot) / pathOf(folderGameName(options.game)) / "ZelkCapture";
    if (!fs::is_directory(folder)) return "there is no trigger folder " + quoted(folder);
    if (!fs::exists(folder / "1.bmp")) return quoted(folder / "1.bmp") + " is missing";
    for (int n = 1; n <= 500; ++n) {
        const fs::path picture = folder / (std::to_string(n) + ".bmp");
        if (!fs::exists(picture)) break;
        try {
            if (!inspectFrameFile(utf8Of(picture), FrameSize{}).isBmp) {
                return quoted(picture) + " is not a BMP picture";
            }
        } catch (const InputError& e) {
            return std::string("a trigger picture cannot be used: ") + e.what();
        }
    }
    return "no trigger picture in " + quoted(folder) + " could be used";
}

// "D12" -> 12; 0 for a text that is not a trigger number.
int triggerNumber(const std::string& text) {
    int number = 0;
    if (text.size() < 2 || text[0] != 'D') return 0;
    const auto [end, error] = std::from_chars(text.data() + 1, text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() ? number : 0;
}

// Refuses a sheet that would replace one of the frame files, and one whose
// folder is missing, before the replay rather than after it.
std::string sheetProblem(const ReplayOptions& options) {
    const fs::path sheet = pathOf(options.sheetFile);
    const fs::path folder = sheet.has_parent_path() ? sheet.parent_path() : fs::path(".");
    if (!fs::is_directory(folder)) return "--sheet: the folder " + quoted(folder) + " does not exist";
    std::error_code ec;
    for (const std::string& frameFile : options.frameFiles) {
        if (fs::equivalent(sheet, pathOf(frameFile), ec)) return "--sheet " + quoted(sheet) + " is one of the FRAME files";
    }
    return {};
}

// Everything a replay reports: the trigger lines, or the explanation, and the
// sheet. Fed after every frame, once the plug-in's code is through with it.
class ReplayReport {
public:
    ReplayReport(const ReplayOptions& options, uint64_t totalFrames)
        : options_(options), sheet_(kMaxSheetTiles, kMaxSheetPixels), progress_("zelkdmd replay", totalFrames) {}

    // sent: the trigger texts the frame sent, in order.
    void frameDone(uint64_t frame, const device::TZelkCapture* capture, const std::vector<std::string>& sent,
                   uint16_t width, uint16_t height, const uint8_t* rgb) {
        progress_.update(frame);
        if (!sent.empty() && !options_.explain) progress_.clear();
        for (const std::string& text : sent) {
            if (!options_.explain) std::printf("%" PRIu64 " %s\n", frame, text.c_str());
            const int trigger = triggerNumber(text);
            if (trigger < 1 || capture == nullptr || trigger > capture->numImages()) continue;
            if (options_.explain) explanation_.triggerSent(frame, trigger);
            if (!options_.sheetFile.empty()) {
                sheet_.add(frame, trigger, capture->trigger(trigger).region, width, height, rgb);
            }
        }
        // The live mask is this frame's only when the frame was compared.
        if (options_.explain && capture != nullptr && capture->framesCompared() != compared_) {
            compared_ = capture->framesCompared();
            explanation_.frameCompared(frame, *capture);
        }
    }

    void finish(const device::TZelkCapture& capture, uint64_t frames) {
        progress_.clear();
        if (options_.explain) explanation_.print(stdout, capture, frames);
        if (options_.sheetFile.empty()) return;
        const Bitmap24 sheet = drawContactSheet(sheet_.tiles(), sheet_.sends(), sheet_.pixelsCapped());
        platform::writeToFile(options_.sheetFile, encodePng(sheet), platform::WriteMode::createOrTruncate);
        const uint64_t leftOut = sheet_.sends() - sheet_.tiles().size();
        if (leftOut > 0) {
            std::fprintf(stderr, "zelkdmd: the sheet shows %zu of %" PRIu64 " sends, %" PRIu64 " left out%s\n",
                         sheet_.tiles().size(), sheet_.sends(), leftOut,
                         sheet_.pixelsCapped() ? " (its frames are large: the sheet stops at 24 million pixels)" : "");
        }
    }

    void clearProgress() { progress_.clear(); }

private:
    const ReplayOptions& options_;
    ReplayExplanation explanation_;
    SheetCollector sheet_;
    Progress progress_;
    uint64_t compared_ = 0;
};

int replay(const ReplayOptions& options) {
    if (!fs::is_directory(pathOf(options.mediaRoot))) {
        std::fprintf(stderr, "zelkdmd: --media-root '%s' is not a folder\n", options.mediaRoot.c_str());
        return kInputExit;
    }
    if (!options.sheetFile.empty()) {
        const std::string problem = sheetProblem(options);
        if (!problem.empty()) {
            std::fprintf(stderr, "zelkdmd: %s\n", problem.c_str());
            return kInputExit;
        }
    }
    std::vector<FrameInput> inputs;
    uint64_t totalFrames = 0;
    for (const std::string& path : options.frameFiles) {
        inputs.push_back(inspectFrameFile(path, options.rawSize));
        totalFrames += inputs.back().frameCount;
    }
    if (totalFrames == 0) {
        std::fputs("zelkdmd: the FRAME files hold no frames\n", stderr);
        return kInputExit;
    }

    // The triggers of one frame, taken from the player and reported once the
    // frame is through.
    std::vector<std::string> sent;
    ReplayPlayerLink playerLink(options.mediaRoot, [&sent](const std::string& text) { sent.push_back(text); });
    const device::Platform host = device::hostPlatform();
    device::DmdDriver driver({host.files, host.clockAndText, host.settings, playerLink, host.previewWindows});
    // A recording knows where the plug-in's frame counter stood at its start.
    const std::optional<recording::MatchStart> start = inputs.front().matchStart;
    driver.setMatchReset(options.matchReset.value_or(start ? start->matchReset : 30));
    if (start) driver.setFrameCounter(start->frameCounter);
    driver.SetGameName(options.hostGame.data(), static_cast<int>(options.hostGame.size()));

    ReplayReport report(options, totalFrames);
    uint64_t frameNumber = 0;
    bool matching = true;
    for (const FrameInput& input : inputs) {
        forEachFrame(input, [&](uint16_t width, uint16_t height, const uint8_t* rgb) {
            ++frameNumber;
            driver.Render_RGB24(width, height, rgb);
            // The game start runs inside the first frame.
            if (frameNumber == 1 && !driver.captureActive()) matching = false;
            report.frameDone(frameNumber, driver.capture(), sent, width, height, rgb);
            sent.clear();
            return matching;
        });
        if (!matching) break;
    }
    if (!matching) {
        report.clearProgress();
        std::fprintf(stderr, "zelkdmd: matching is off for game '%s': %s\n", options.game.c_str(),
                     whyMatchingIsOff(options).c_str());
        return kInputExit;
    }
    report.finish(*driver.capture(), frameNumber);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("zelkdmd: cannot write the triggers to standard output\n", stderr);
        return kInputExit;
    }
    return 0;
}

}  // namespace

int runReplay(const std::vector<std::string>& args) {
    ReplayOptions options;
    try {
        options = parseReplayOptions(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "zelkdmd replay: %s\n", e.what());
        std::fputs(args.empty() ? kReplayUsage : "'zelkdmd replay --help' shows the usage\n", stderr);
        return kUsageExit;
    }
    if (options.help) {
        std::fputs(kReplayUsage, stdout);
        return 0;
    }
    try {
        return replay(options);
    } catch (const InputError& e) {
        std::fprintf(stderr, "zelkdmd: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelkdmd: %s\n", e.what());
    }
    return kInputExit;
}

}  // namespace zelk::tools
