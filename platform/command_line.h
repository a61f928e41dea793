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

// An argument as a program hands it to a DLL's narrow (char*) entry point:
// in the ANSI code page on Windows, as it is elsewhere. None when the code
// page lacks one of its characters.
std::optional<std::string> narrowArgument(const std::string& utf8);

}  // namespace zelk::platform
