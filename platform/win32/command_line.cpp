#include "platform/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace zelk::platform {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) {
        // Out of memory: the narrow arguments, as the code page gives them.
        std::vector<std::string> args;
        for (int i = 1; i < argc; ++i) args.push_back(ansiToUtf8(argv[i]));
        return args;
    }
    const LocalMemory owner(wide);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(wideToUtf8(wide[i]));
    return args;
}

std::optional<std::string> narrowArgument(const std::string& utf8) {
    std::string ansi = utf8ToAnsi(utf8);
    // The conversion puts a best fit or '?' for a missing character.
    if (ansiToUtf8(ansi) != utf8) return std::nullopt;
    return ansi;
}

}  // namespace zelk::platform
