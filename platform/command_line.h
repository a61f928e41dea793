#pragma once
// A program's command-line arguments as UTF-8. On Windows the narrow argv of
// main() is in the ANSI code page, which cannot hold every file name; the
// arguments are taken from the wide command line instead.
#include <optional>
#include <string>
#include <vector>

namespace zelk::platform {

// The arguments after the program's name.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// An argument as a host hands it to the plug-in's narrow (char*) entry
// points: in the ANSI code page on Windows, in Latin-1 on Linux (the Linux
// plug-in's stand-in for it). None when that lacks one of its characters.
std::optional<std::string> narrowArgument(const std::string& utf8);

}  // namespace zelk::platform
