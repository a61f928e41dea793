#include "platform/terminal.h"

#include <unistd.h>

namespace zelk::platform {

bool isTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

}  // namespace zelk::platform
