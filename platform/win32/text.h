#pragma once
// Text at the Windows boundary. Our interfaces carry UTF-8, the system's wide
// functions take UTF-16, and the host's names and the log use the ANSI code
// page. One rule for bad input, everywhere: a conversion never fails and
// never drops the rest of the text. A broken UTF-8 sequence or an unpaired
// UTF-16 surrogate becomes U+FFFD (the replacement character); ANSI bytes the
// code page does not define become its default character, and characters the
// code page lacks become its best fit, else '?'. The UTF-8/UTF-16 half is the
// portable core's (core/utf8.h), so both systems read bad text alike.
#include <string>
#include <string_view>

namespace zelk::platform {

std::wstring utf8ToWide(std::string_view text);
std::string wideToUtf8(std::wstring_view text);

std::wstring ansiToWide(std::string_view bytes);
std::string wideToAnsi(std::wstring_view text);

std::string ansiToUtf8(std::string_view bytes);
std::string utf8ToAnsi(std::string_view text);

}  // namespace zelk::platform
