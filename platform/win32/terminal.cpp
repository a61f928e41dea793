#include "platform/terminal.h"

#include <io.h>

namespace zelk::platform {

// A console; the MSVC runtime also counts other character devices such as
// NUL, which the tool's progress never writes to in earnest.
bool isTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

}  // namespace zelk::platform
