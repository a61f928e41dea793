// zelkdmd: the command-line face of the portable core.
//   zelkdmd replay ...  runs recorded DMD frames through the plug-in's matching
//   zelkdmd play ...    shows what the control program would send to the DMD
#include <cstdio>
#include <string>
#include <vector>

#include "tools/zelkdmd/commands.h"

namespace {

int usage() {
    std::fputs(
        "usage: zelkdmd replay --media-root DIR --game NAME [--match-reset N] [--size WxH] FRAME...\n"
        "       zelkdmd play PATH [--ticks N] [--out DIR] [--device LIB]\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "replay") return zelk::tools::runReplay(args);
    if (command == "play") return zelk::tools::runPlay(args);
    std::fprintf(stderr, "zelkdmd: unknown command '%s'\n", command.c_str());
    return usage();
}
