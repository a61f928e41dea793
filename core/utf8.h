#pragma once
// UTF-8 <-> UTF-16 for texts that cross to the player (wide strings) and for
// the 8-bit texts of the host. Broken sequences become U+FFFD, never a crash.
#include <optional>
#include <string>
#include <string_view>

namespace zelk {

std::u16string utf8ToUtf16(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);
// Each byte taken as one Latin-1 (ISO 8859-1) character.
std::string latin1ToUtf8(std::string_view bytes);
// The reverse; none when the text holds a character past U+00FF (or a broken sequence).
std::optional<std::string> utf8ToLatin1(std::string_view text);

}  // namespace zelk
