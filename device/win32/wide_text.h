#pragma once
// Text at the Win32 boundary: the plug-in's interfaces carry UTF-8, the
// system's wide functions UTF-16, and the host and the log the ANSI code page.
#include <windows.h>

#include <string>

namespace zelk::device::win32 {

std::wstring utf8ToWide(const std::string& text);
std::string wideToUtf8(const wchar_t* text, size_t count);
inline std::string wideToUtf8(const std::wstring& text) { return wideToUtf8(text.data(), text.size()); }

// ANSI code page <-> wide. Characters the code page lacks become its default
// character ('?'), so a log line is never dropped for one odd character.
std::wstring ansiToWide(const char* bytes, size_t count);
std::string wideToAnsi(const std::wstring& text);

// The system's description of an error code, without the trailing line break;
// empty when the system has none.
std::string systemMessage(DWORD code);

}  // namespace zelk::device::win32
