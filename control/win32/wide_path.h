#pragma once
// Paths cross the control program's interfaces as UTF-8; the system's wide
// functions take UTF-16.
#include <string>

namespace zelk::control {

// Throws zelk::Error for text that is not valid UTF-8 or too long.
std::wstring toWidePath(const std::string& path);
std::string fromWideName(const wchar_t* name);

}  // namespace zelk::control
