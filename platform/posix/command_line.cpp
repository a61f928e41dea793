#include "platform/command_line.h"

#include "core/utf8.h"

namespace zelk::platform {

// POSIX arguments are bytes, UTF-8 in every locale the tools support.
std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

// The Linux plug-in reads a host's narrow names as Latin-1 (device/entry/posix).
std::optional<std::string> narrowArgument(const std::string& utf8) { return utf8ToLatin1(utf8); }

}  // namespace zelk::platform
