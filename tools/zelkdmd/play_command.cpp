// zelkdmd play PATH [--ticks N] [--out DIR] [--device LIB]
//
// Resolves PATH the way DMDPlay does (the same MediaPlayer code: PATH.*, then
// the folder's default.*, then its default.png) and produces the frames that
// would reach the DMD: one for a still picture, N timer ticks for a GIF (by
// default one pass, as many ticks as the GIF has frames).
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/device/dmd_device.h"
#include "control/output/dmd_output.h"
#include "control/media/file_system.h"
#include "control/media/halftone.h"
#include "control/timing/manual_timer.h"
#include "control/media/media_path.h"
#include "control/media/media_player.h"
#include "control/media/still_picture.h"
#include "core/error.h"
#include "tools/zelkdmd/commands.h"
#include "tools/zelkdmd/frame_tap.h"

namespace zelk::tools {
namespace {

// More ticks than this are refused: enough for any animation, and a typo
// cannot fill the disk with frame files.
constexpr long kMaxTicks = 100000;

struct PlayOptions {
    std::string path;
    std::optional<long> ticks;
    std::optional<std::string> outFolder;
    std::optional<std::string> deviceLibrary;
};

const char* const kPlayUsage =
    "usage: zelkdmd play PATH [--ticks N] [--out DIR] [--device LIB]\n"
    "  Plays a picture or an animated GIF as the control program would and counts\n"
    "  the 128x32 frames sent to the DMD. --ticks: timer ticks to run (default:\n"
    "  one pass over a GIF's frames), --out: write each frame as DIR/0001.png...,\n"
    "  --device: pass the frames on to a dmddevice library.\n";

int badArguments(const std::string& message) {
    std::fprintf(stderr, "zelkdmd play: %s\n", message.c_str());
    std::fputs(kPlayUsage, stderr);
    return 2;
}

int failed(const std::string& message) {
    std::fprintf(stderr, "zelkdmd play: %s\n", message.c_str());
    return 1;
}

// Returns an error message, empty when the arguments are good.
std::string parseArguments(const std::vector<std::string>& args, PlayOptions& options) {
    bool havePath = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--ticks" || arg == "--out" || arg == "--device") {
            if (i + 1 >= args.size()) return arg + " needs a value";
            const std::string& value = args[++i];
            if (arg == "--ticks") {
                long ticks = -1;
                const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), ticks);
                if (error != std::errc() || end != value.data() + value.size() || ticks < 0 || ticks > kMaxTicks) {
                    return "--ticks takes a whole number from 0 to " + std::to_string(kMaxTicks) + ", not '" + value + "'";
                }
                options.ticks = ticks;
            } else if (value.empty()) {
                return arg + " needs a value";
            } else if (arg == "--out") {
                options.outFolder = value;
            } else {
                options.deviceLibrary = value;
            }
        } else if (arg.size() > 1 && arg.rfind("--", 0) == 0) {
            return "unknown option '" + arg + "'";
        } else if (havePath) {
            return "only one PATH, got '" + options.path + "' and '" + arg + "'";
        } else {
            options.path = arg;
            havePath = true;
        }
    }
    return havePath ? std::string() : "PATH is missing";
}

// Why a still picture showed nothing: PlayMediaFile swallows the reason, a
// pack author wants to see it.
std::string stillPictureProblem(control::FileSystem& files, control::StillPictureDecoder& pictures,
                                const std::string& path) {
    try {
        pictures.decode(files.readFile(path, control::kMaxMediaFileBytes));
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return "the picture could not be sent";
}

int play(const PlayOptions& options) {
    std::unique_ptr<control::DmdDevice> library;
    if (options.deviceLibrary) library = control::loadDmdDevice(*options.deviceLibrary);
    if (options.outFolder) std::filesystem::create_directories(*options.outFolder);

    FrameTap tap(options.outFolder, library.get());
    const std::unique_ptr<control::FileSystem> files = control::makeFileSystem();
    const std::unique_ptr<control::StillPictureDecoder> pictures = control::makeStillPictureDecoder();
    control::ManualTimer gifTimer(100);
    control::MediaPlayer player({*files, *pictures, gifTimer, tap, control::platformHalftonePalette()});
    if (library) control::OpenDmdDevice(tap);

    player.PlayMediaFile(options.path);
    const std::string& resolved = player.currentMediaFile();
    if (resolved.empty()) {
        const std::string folder = control::folderOf(options.path, files->folderDelimiters());
        return failed("no media file for '" + options.path + "' (tried " + options.path + ".*, " + folder +
                      "default.*, " + folder + "default.png)");
    }
    std::printf("resolved: %s\n", resolved.c_str());

    const bool animated = player.gifImage() != nullptr;
    if (animated) {
        const long ticks = options.ticks.value_or(static_cast<long>(player.gifImage()->frames.size()));
        for (long i = 0; i < ticks && gifTimer.enabled(); ++i) player.GiFTimerTimer();
        player.StopAnimatedGif();
    }
    if (library) library->Close();
    std::printf("frames sent: %d\n", tap.framesSent());
    std::fflush(stdout);

    if (!tap.failure().empty()) return failed(tap.failure());
    if (tap.framesSent() == 0 && !animated) {
        const std::string extension = control::extensionOf(resolved, files->folderDelimiters());
        if (control::isStillPictureExtension(extension)) {
            return failed(resolved + ": nothing shown: " + stillPictureProblem(*files, *pictures, resolved));
        }
        return failed(resolved + ": nothing shown: the DMD shows only .gif, .jpg, .jpeg and .png files");
    }
    return 0;
}

}  // namespace

int runPlay(const std::vector<std::string>& args) {
    if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
        std::fputs(kPlayUsage, stdout);
        return 0;
    }
    PlayOptions options;
    const std::string problem = parseArguments(args, options);
    if (!problem.empty()) return badArguments(problem);
    try {
        return play(options);
    } catch (const std::exception& failure) {
        return failed(failure.what());
    }
}

}  // namespace zelk::tools
