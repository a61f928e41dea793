// zelkdmd frames INPUT... --out DIR [--from N] [--to M] [--changed] [--size WxH]
//
// Writes frames of the inputs (anything `zelkdmd replay` takes) as 24-bit BMP
// pictures named by frame number, DIR/000123.bmp, numbered from 1 across all
// inputs as the replay numbers them: the pictures a pack author copies into
// ZelkCapture and marks. Never replaces a file: a folder that already holds a
// picture for a frame of the range is refused before anything is written.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/bmp_writer.h"
#include "core/error.h"
#include "platform/file_write.h"
#include "platform/path_kind.h"
#include "tools/zelkdmd/commands.h"
#include "tools/zelkdmd/progress.h"
#include "tools/zelkdmd/replay_inputs.h"
#include "tools/zelkdmd/replay_options.h"
#include "tools/zelkdmd/utf8_path.h"

namespace zelk::tools {
namespace {

namespace fs = std::filesystem;

constexpr int kUsageExit = 2;
constexpr int kInputExit = 1;

const char* const kFramesUsage =
    "usage: zelkdmd frames INPUT... --out DIR [--from N] [--to M] [--changed] [--size WxH]\n"
    "  Writes frames as 24-bit BMP pictures DIR/000001.bmp, ... named by frame\n"
    "  number, counted from 1 across all inputs as 'zelkdmd replay' counts them.\n"
    "  INPUT: a BMP picture or a file of raw RGB24 frames of --size (default\n"
    "  128x32). --from, --to: the first and last frame to write (default: all).\n"
    "  --changed: only frames that differ from the frame before; the first frame\n"
    "  of the range is always written. DIR is made when missing; a file there for\n"
    "  a frame of the range is never replaced: the command stops before writing.\n";

struct FramesOptions {
    std::vector<std::string> inputs;
    std::string outFolder;
    uint64_t from = 1;
    std::optional<uint64_t> to;
    bool changed = false;
    FrameSize rawSize;
    bool help = false;
};

uint64_t parseFrameNumber(const std::string& option, const std::string& text) {
    uint64_t number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || error != std::errc() || stop != end || number == 0) {
        throw UsageError(option + " '" + text + "': expected a frame number from 1");
    }
    return number;
}

FramesOptions parseFramesOptions(const std::vector<std::string>& args) {
    FramesOptions options;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            options.inputs.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            options.help = true;
            return options;
        } else if (arg == "--changed") {
            options.changed = true;
        } else if (arg == "--out" || arg == "--from" || arg == "--to" || arg == "--size") {
            if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--out") {
                options.outFolder = value;
            } else if (arg == "--from") {
                options.from = parseFrameNumber(arg, value);
            } else if (arg == "--to") {
                options.to = parseFrameNumber(arg, value);
            } else {
                options.rawSize = parseFrameSize(value);
            }
        } else {
            throw UsageError("unknown option '" + arg + "'");
        }
    }
    if (options.outFolder.empty()) throw UsageError("--out DIR is required");
    if (options.inputs.empty()) throw UsageError("no INPUT file given");
    if (options.to && *options.to < options.from) {
        std::string problem = "--to ";  // appended: see contact_sheet.cpp on GCC 12
        problem += std::to_string(*options.to) + " comes before --from " + std::to_string(options.from);
        throw UsageError(problem);
    }
    return options;
}

std::string frameFileName(uint64_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "%06" PRIu64 ".bmp", frame);
    return name;
}

// The number of a frame picture's name ("000123.bmp" -> 123), 0 for any other
// name. Any case: on Windows "000123.BMP" is the same file.
uint64_t frameNumberOf(std::string name) {
    for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (name.size() < 10 || name.compare(name.size() - 4, 4, ".bmp") != 0) return 0;
    uint64_t number = 0;
    const char* end = name.data() + name.size() - 4;
    const auto [stop, error] = std::from_chars(name.data(), end, number);
    return error == std::errc() && stop == end && frameFileName(number) == name ? number : 0;
}

// Makes the folder, or finds in it a picture of a frame in [from, to];
// returns the problem, empty when the frames can be written.
std::string prepareOutFolder(const std::string& folder, uint64_t from, uint64_t to) {
    switch (platform::pathKind(folder)) {
    case platform::PathKind::missing: {
        std::error_code ec;
        fs::create_directories(pathOf(folder), ec);
        return ec ? "--out '" + folder + "' cannot be made: " + ec.message() : std::string();
    }
    case platform::PathKind::folder:
        break;
    default:
        return "--out '" + folder + "' is not a folder";
    }
    // The lowest number found, so that the message does not depend on the
    // order the system lists the folder in.
    std::string first;
    uint64_t firstNumber = 0;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(pathOf(folder), ec)) {
        // UTF-8: a name outside the Windows code page must not stop the look.
        const std::u8string name = entry.path().filename().u8string();
        const uint64_t number = frameNumberOf(std::string(name.begin(), name.end()));
        if (number >= from && number <= to && (first.empty() || number < firstNumber)) {
            first.assign(name.begin(), name.end());
            firstNumber = number;
        }
    }
    if (ec) return "--out '" + folder + "' cannot be read: " + ec.message();
    if (first.empty()) return {};
    return "'" + folder + "/" + first +
           "' exists, and frames are never written over (remove the old frames or choose another --out)";
}

void writeFrameBmp(const std::string& path, uint16_t width, uint16_t height, const uint8_t* rgb) {
    Bitmap24 picture(width, height);
    for (size_t at = 0; at + 2 < picture.pixels.size(); at += 3) {
        picture.pixels[at] = rgb[at + 2];
        picture.pixels[at + 1] = rgb[at + 1];
        picture.pixels[at + 2] = rgb[at];
    }
    const std::vector<uint8_t> bytes = writeBmp24(picture);
    try {
        // Only a new file: one may have appeared since the folder was looked at.
        platform::writeToFile(path, std::string(bytes.begin(), bytes.end()), platform::WriteMode::createNew);
    } catch (const Error& failure) {
        // Past the create, the failure (a full disk) is on the file made
        // just now: a half-written picture would make a rerun refuse.
        if (failure.className() != "EFCreateError") {
            std::error_code ignored;
            fs::remove(pathOf(path), ignored);
            throw;
        }
        if (platform::pathKind(path) == platform::PathKind::missing) throw;
        throw Error("EFCreateError", "'" + path + "' appeared while frames were written, and frames are never "
                                     "written over: stopped there");
    }
}

int writeFrames(const FramesOptions& options) {
    std::vector<FrameInput> inputs;
    uint64_t total = 0;
    for (const std::string& path : options.inputs) {
        inputs.push_back(inspectFrameFile(path, options.rawSize));
        total += inputs.back().frameCount;
    }
    if (options.from > total) {
        std::fprintf(stderr, "zelkdmd frames: --from %" PRIu64 ": the inputs hold %" PRIu64 " frames\n",
                     options.from, total);
        return kInputExit;
    }
    const uint64_t to = std::min(options.to.value_or(total), total);
    const std::string problem = prepareOutFolder(options.outFolder, options.from, to);
    if (!problem.empty()) {
        std::fprintf(stderr, "zelkdmd frames: %s\n", problem.c_str());
        return kInputExit;
    }

    Progress progress("zelkdmd frames", to);
    std::vector<uint8_t> previous;  // the frame before, for --changed
    uint16_t previousWidth = 0, previousHeight = 0;
    uint64_t frame = 0, written = 0;
    for (const FrameInput& input : inputs) {
        forEachFrame(input, [&](uint16_t width, uint16_t height, const uint8_t* rgb) {
            ++frame;
            progress.update(frame);
            if (frame < options.from) return true;
            if (options.changed) {
                const size_t bytes = size_t{width} * height * 3;
                // Frames of another size differ, whatever their bytes.
                const bool same = frame > options.from && width == previousWidth && height == previousHeight &&
                                  std::equal(rgb, rgb + bytes, previous.begin());
                previous.assign(rgb, rgb + bytes);
                previousWidth = width;
                previousHeight = height;
                if (same) return frame < to;
            }
            writeFrameBmp(utf8Of(pathOf(options.outFolder) / frameFileName(frame)), width, height, rgb);
            ++written;
            return frame < to;
        });
        if (frame >= to) break;
    }
    progress.clear();
    std::printf("%" PRIu64 " of frames %" PRIu64 "-%" PRIu64 " written to %s\n", written, options.from, to,
                options.outFolder.c_str());
    return 0;
}

}  // namespace

int runFrames(const std::vector<std::string>& args) {
    FramesOptions options;
    try {
        options = parseFramesOptions(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "zelkdmd frames: %s\n", e.what());
        std::fputs(args.empty() ? kFramesUsage : "'zelkdmd frames --help' shows the usage\n", stderr);
        return kUsageExit;
    }
    if (options.help) {
        std::fputs(kFramesUsage, stdout);
        return 0;
    }
    try {
        return writeFrames(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelkdmd frames: %s\n", e.what());
    }
    return kInputExit;
}

}  // namespace zelk::tools
