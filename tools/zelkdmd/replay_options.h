#pragma once
// Command line of `zelkdmd replay`:
//   --media-root DIR --game NAME [--match-reset N] [--size WxH] [--explain] [--sheet FILE.png] FRAME...
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/zelkdmd/replay_inputs.h"

namespace zelk::tools {

// A command line that cannot be used; the message names the argument.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ReplayOptions {
    std::string mediaRoot;
    std::string game;
    std::string hostGame;      // the name as a host hands it to SetGameName (the ANSI code page on Windows)
    // None: a recording's own, else 30, MATCHRESET when Open finds no settings file.
    std::optional<int32_t> matchReset;
    FrameSize rawSize;         // 128x32 unless --size says otherwise
    std::vector<std::string> frameFiles;
    bool explain = false;      // stdout carries the explanation instead of the trigger lines
    std::string sheetFile;     // empty: no sheet
    bool help = false;
};

// Throws UsageError.
ReplayOptions parseReplayOptions(const std::vector<std::string>& args);
// "WxH", each side from 1 to 16384, for --size. Throws UsageError.
FrameSize parseFrameSize(const std::string& text);

extern const char* const kReplayUsage;

}  // namespace zelk::tools
