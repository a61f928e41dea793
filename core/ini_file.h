#pragma once
// Profile (INI) files read the way Windows reads them: a section starts with a
// line "[name]", a setting is a line "key=value", section and key names match
// without regard to ASCII letter case, blanks around names and values do not
// count and one pair of matching quotes around a value is dropped. The first
// section of a name and the first key of a name within it win.
//
// The integer rule is shared with the Win32 side, which reads the text with
// GetPrivateProfileString and converts it here.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// The value of key in section, or nullopt when the section or key is missing.
std::optional<std::string> findProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// One "key=value" line as findProfileValue reads it, with its section.
struct ProfileEntry {
    std::string section;
    std::string key;
    std::string value;
};

// Every setting line of the text in file order, for a reader that wants to
// see what the file holds rather than look one key up. Lines before the
// first section have an empty section.
std::vector<ProfileEntry> profileEntries(std::string_view text);

// A decimal integer with an optional sign, or a hexadecimal one written with
// a leading "0x" or "$" (a sign may precede the prefix). Blanks around the
// number are allowed; anything else, an empty text or a value outside the
// 32-bit signed range gives nullopt.
std::optional<int32_t> parseProfileInteger(std::string_view text);

// The settings rule: the value when it reads as an integer, else fallback.
int32_t profileIntegerOr(const std::optional<std::string>& value, int32_t fallback);

}  // namespace zelk
