#include "platform/command_line.h"

namespace zelk::platform {

// POSIX arguments are bytes, UTF-8 in every locale the tools support.
std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

std::optional<std::string> narrowArgument(const std::string& utf8) { return utf8; }

}  // namespace zelk::platform
