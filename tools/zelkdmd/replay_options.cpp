#include "tools/zelkdmd/replay_options.h"

#include <charconv>

#include "platform/command_line.h"

namespace zelk::tools {
namespace {

// The device interface carries sides as 16-bit numbers; no DMD comes near
// this bound, which is also the BMP reader's.
constexpr int32_t kMaxSide = 16384;
// SetGameName reads the low 8 bits of the length as a signed number, so a
// longer name would reach the plug-in cut or empty.
constexpr size_t kMaxGameNameBytes = 127;

bool parseInt32(const std::string& text, int32_t& value) {
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && stop == end;
}

uint16_t parseSide(const std::string& text, const std::string& whole) {
    int32_t side = 0;
    if (!parseInt32(text, side) || side < 1 || side > kMaxSide) {
        throw UsageError("--size '" + whole + "': width and height must be whole numbers from 1 to " +
                         std::to_string(kMaxSide));
    }
    return static_cast<uint16_t>(side);
}

}  // namespace

FrameSize parseFrameSize(const std::string& text) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) throw UsageError("--size '" + text + "': expected WxH, for example 128x32");
    return {parseSide(text.substr(0, x), text), parseSide(text.substr(x + 1), text)};
}

const char* const kReplayUsage =
    "usage: zelkdmd replay --media-root DIR --game NAME [--match-reset N] [--size WxH]\n"
    "                      [--explain] [--sheet FILE.png] FRAME...\n"
    "  Runs DMD frames through the plug-in's matching with the trigger pictures in\n"
    "  DIR/NAME/ZelkCapture and prints every trigger sent as \"<frame> D<n>\".\n"
    "  FRAME: a BMP picture (one frame), a recording made by the plug-in (RECORD=1)\n"
    "  or a file of raw RGB24 frames of --size (default 128x32).\n"
    "  --match-reset: frames between re-armings (default: the recording's, else 30).\n"
    "  --explain: print instead, for every trigger, the frames it was sent on, and\n"
    "  for a trigger never sent the frame that came nearest to its region.\n"
    "  --sheet: write (or replace) FILE.png, a picture of the frames a trigger was\n"
    "  sent on, enlarged, each with the trigger's region outlined; at most 64, the\n"
    "  first send of every trigger before any repeat.\n";

ReplayOptions parseReplayOptions(const std::vector<std::string>& args) {
    ReplayOptions options;
    bool haveRoot = false, haveGame = false, optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            options.frameFiles.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            return options;
        }
        if (arg == "--explain") {
            options.explain = true;
            continue;
        }
        if (arg != "--media-root" && arg != "--game" && arg != "--match-reset" && arg != "--size" &&
            arg != "--sheet") {
            throw UsageError("unknown option '" + arg + "'");
        }
        if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
        const std::string& value = args[++i];
        if (arg == "--media-root") {
            options.mediaRoot = value;
            haveRoot = true;
        } else if (arg == "--game") {
            options.game = value;
            haveGame = true;
        } else if (arg == "--match-reset") {
            int32_t matchReset = 0;
            if (!parseInt32(value, matchReset)) {
                throw UsageError("--match-reset '" + value + "': expected a whole number (32-bit)");
            }
            options.matchReset = matchReset;
        } else if (arg == "--sheet") {
            if (value.empty()) throw UsageError("--sheet needs a file name");
            options.sheetFile = value;
        } else {
            options.rawSize = parseFrameSize(value);
        }
    }
    if (!haveRoot || options.mediaRoot.empty()) throw UsageError("--media-root DIR is required");
    if (!haveGame || options.game.empty()) throw UsageError("--game NAME is required");
    const std::optional<std::string> hostGame = platform::narrowArgument(options.game);
    if (!hostGame) throw UsageError("--game '" + options.game + "': a host cannot hand this name to the plug-in in "
                                    "the system's code page");
    options.hostGame = *hostGame;
    if (options.hostGame.size() > kMaxGameNameBytes) {
        throw UsageError("--game: a game name has at most " + std::to_string(kMaxGameNameBytes) + " bytes");
    }
    if (options.frameFiles.empty()) throw UsageError("no FRAME file given");
    return options;
}

}  // namespace zelk::tools
