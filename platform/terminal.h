#pragma once
// Whether a standard stream is a terminal: progress shown on a terminal
// would be noise in a file or a pipe.
#include <cstdio>

namespace zelk::platform {

bool isTerminal(std::FILE* stream);

}  // namespace zelk::platform
