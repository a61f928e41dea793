#include "platform/posix/error_text.h"

#include <cstring>

namespace zelk::platform {
namespace {

// strerror_r comes in two shapes: the GNU one returns the text, the XSI one
// fills the buffer and returns a status. Either is taken as it comes.
[[maybe_unused]] const char* pick(const char* text, const char*) { return text; }
[[maybe_unused]] const char* pick(int status, const char* buffer) { return status == 0 ? buffer : nullptr; }

}  // namespace

std::string errorText(int error) {
    char buffer[256] = {};
    const char* text = pick(strerror_r(error, buffer, sizeof buffer), buffer);
    if (text == nullptr || *text == '\0') return "System error " + std::to_string(error) + ".";
    return text;
}

}  // namespace zelk::platform
