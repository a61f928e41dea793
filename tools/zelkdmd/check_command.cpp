// zelkdmd check FOLDER: what the plug-in makes of a game's trigger pictures,
// file by file (pack_check.h), as text or as JSON.
#include <cstdio>
#include <optional>
#include <string>

#include "device/entry/platform.h"
#include "tools/zelkdmd/check_output.h"
#include "tools/zelkdmd/commands.h"
#include "tools/zelkdmd/pack_check.h"

namespace zelk::tools {
namespace {

constexpr int kUsableExit = 0;
constexpr int kUnusableExit = 1;
constexpr int kUsageExit = 2;

const char* const kUsage =
    "usage: zelkdmd check [--json] FOLDER\n"
    "\n"
    "Reports, file by file, what the plug-in makes of a game's trigger pictures:\n"
    "the pictures it loads, the region of each, and what will surprise the pack's\n"
    "author. FOLDER is the game's ZelkCapture folder or the game folder above it.\n"
    "\n"
    "  --json   the same as JSON, for tools\n"
    "\n"
    "Exit status: 0 every picture is usable, 1 one is not (or FOLDER is no\n"
    "folder), 2 bad command line.\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "zelkdmd check: %s\n%s", message.c_str(), kUsage);
    return kUsageExit;
}

}  // namespace

int runCheck(const std::vector<std::string>& args) {
    bool json = false;
    std::optional<std::string> folder;
    bool optionsDone = false;
    for (const std::string& arg : args) {
        if (!optionsDone && (arg == "--help" || arg == "-h")) {
            std::fputs(kUsage, stdout);
            return kUsableExit;
        }
        if (!optionsDone && arg == "--json") {
            json = true;
        } else if (!optionsDone && arg == "--") {
            optionsDone = true;
        } else if (!optionsDone && arg.starts_with("-") && arg != "-") {
            return usageError("unknown option '" + arg + "'");
        } else if (folder) {
            return usageError("one FOLDER only");
        } else {
            folder = arg;
        }
    }
    if (!folder || folder->empty()) return usageError("no FOLDER given");

    device::Files& files = device::hostPlatform().files;
    const std::optional<std::string> triggerFolder = triggerFolderFor(files, *folder);
    if (!triggerFolder) {
        std::fprintf(stderr, "zelkdmd check: '%s' is not a folder\n", folder->c_str());
        return kUnusableExit;
    }
    const PackCheck pack = checkPack(files, *triggerFolder);
    if (json) {
        printCheckJson(pack, stdout);
    } else {
        printCheckText(pack, stdout);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("zelkdmd check: cannot write the report\n", stderr);
        return kUnusableExit;
    }
    return pack.usable() ? kUsableExit : kUnusableExit;
}

}  // namespace zelk::tools
