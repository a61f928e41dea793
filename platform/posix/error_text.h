#pragma once
// The system's own description of an errno value.
#include <string>

namespace zelk::platform {

// Safe from any thread (unlike strerror).
std::string errorText(int error);

}  // namespace zelk::platform
