#pragma once
// A program's command-line arguments as UTF-8. On Windows the narrow argv of
// main() is in the ANSI code page, which cannot hold every file name; the
// arguments are taken from the wide command line instead.
#include <string>
#include <vector>

namespace zelk::platform {

// The arguments after the program's name.
std::vector<std::string> commandLineArguments(int argc, char** argv);

}  // namespace zelk::platform
