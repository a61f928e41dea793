// zelkdmd: the command-line face of the portable core.
//   zelkdmd replay ...  runs recorded DMD frames through the plug-in's matching
//   zelkdmd play ...    shows what the control program would send to the DMD
//   zelkdmd check ...   reports what the plug-in makes of a trigger folder
//   zelkdmd frames ...  writes frames as BMP pictures for trigger packs
//   zelkdmd doctor ...  checks that a cabinet's set-up is complete
#include <cstdio>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "tools/zelkdmd/commands.h"
#include "zelk_version.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
    const char* summary;
};

const Command kCommands[] = {
    {"replay", zelk::tools::runReplay, "run DMD frames through the plug-in's matching"},
    {"play", zelk::tools::runPlay, "show what the control program sends to the DMD for a picture or GIF"},
    {"check", zelk::tools::runCheck, "report what the plug-in makes of a game's trigger pictures"},
    {"frames", zelk::tools::runFrames, "write frames as numbered BMP pictures, ready to become trigger pictures"},
    {"doctor", zelk::tools::runDoctor, "check that the plug-in and everything around it is in place"},
};

void printUsage(FILE* to) {
    std::fputs("usage: zelkdmd COMMAND [ARGS...]\n       zelkdmd --help | --version\n\ncommands:\n", to);
    for (const Command& command : kCommands) std::fprintf(to, "  %-8s %s\n", command.name, command.summary);
    std::fputs("\n'zelkdmd COMMAND --help' shows a command's usage.\n", to);
}

}  // namespace

int main(int argc, char** argv) {
    // UTF-8 on every system: file names outside the Windows code page work.
    std::vector<std::string> args = zelk::platform::commandLineArguments(argc, argv);
    if (args.empty()) {
        printUsage(stderr);
        return 2;
    }
    const std::string first = args.front();
    args.erase(args.begin());
    if (first == "-h" || first == "--help" || first == "help") {
        printUsage(stdout);
        return 0;
    }
    if (first == "--version") {
        std::printf("zelkdmd %s\n", ZELK_VERSION);
        return 0;
    }
    for (const Command& command : kCommands) {
        if (first == command.name) return command.run(args);
    }
    std::fprintf(stderr, "zelkdmd: unknown command '%s'\n", first.c_str());
    printUsage(stderr);
    return 2;
}
