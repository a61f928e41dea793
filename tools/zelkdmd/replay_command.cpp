// zelkdmd replay: runs recorded DMD frames through the plug-in's own code
// (DmdDriver, the code behind Render_RGB24) and prints every trigger it sends
// to the player as "<frame> D<n>", frames numbered from 1 across all inputs.
// Standard output carries those lines only; everything else goes to stderr.
#include <cstdio>
#include <filesystem>
#include <string>

#include "device/dmd_driver.h"
#include "tools/zelkdmd/commands.h"
#include "tools/zelkdmd/replay_inputs.h"
#include "tools/zelkdmd/replay_options.h"
#include "tools/zelkdmd/replay_player_link.h"

namespace zelk::tools {
namespace {

namespace fs = std::filesystem;

constexpr int kUsageExit = 2;
constexpr int kInputExit = 1;

// The plug-in keeps only the part of the name after its last backslash or colon.
std::string folderGameName(const std::string& game) {
    const size_t cut = game.find_last_of("\\:");
    return cut == std::string::npos ? game : game.substr(cut + 1);
}

// The plug-in logs why a game start left matching off, but the replay runs
// without its log (no Open, so nothing is written beside the tool). Tell the
// user what the log would have said.
std::string whyMatchingIsOff(const ReplayOptions& options) {
    const fs::path folder = fs::path(options.mediaRoot) / folderGameName(options.game) / "ZelkCapture";
    if (!fs::is_directory(folder)) return "there is no trigger folder '" + folder.string() + "'";
    if (!fs::exists(folder / "1.bmp")) return "'" + (folder / "1.bmp").string() + "' is missing";
    for (int n = 1; n <= 500; ++n) {
        const fs::path picture = folder / (std::to_string(n) + ".bmp");
        if (!fs::exists(picture)) break;
        try {
            if (!inspectFrameFile(picture.string(), FrameSize{}).isBmp) {
                return "'" + picture.string() + "' is not a BMP picture";
            }
        } catch (const InputError& e) {
            return std::string("a trigger picture cannot be used: ") + e.what();
        }
    }
    return "no trigger picture in '" + folder.string() + "' could be used";
}

int replay(const ReplayOptions& options) {
    if (!fs::is_directory(options.mediaRoot)) {
        std::fprintf(stderr, "zelkdmd: --media-root '%s' is not a folder\n", options.mediaRoot.c_str());
        return kInputExit;
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

    uint64_t frameNumber = 0;
    ReplayPlayerLink playerLink(options.mediaRoot, frameNumber, stdout);
    const device::Platform host = device::hostPlatform();
    device::DmdDriver driver({host.files, host.clockAndText, host.settings, playerLink, host.previewWindows});
    driver.setMatchReset(options.matchReset);
    driver.SetGameName(options.game.data(), static_cast<int>(options.game.size()));

    bool matching = true;
    for (const FrameInput& input : inputs) {
        forEachFrame(input, [&](uint16_t width, uint16_t height, const uint8_t* rgb) {
            ++frameNumber;
            driver.Render_RGB24(width, height, rgb);
            // The game start runs inside the first frame.
            if (frameNumber == 1 && !driver.captureActive()) matching = false;
            return matching;
        });
        if (!matching) break;
    }
    if (!matching) {
        std::fprintf(stderr, "zelkdmd: matching is off for game '%s': %s\n", options.game.c_str(),
                     whyMatchingIsOff(options).c_str());
        return kInputExit;
    }
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
