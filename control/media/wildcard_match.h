#pragma once
// File-name wildcards as the Windows file search reads them, for platforms
// whose own search knows no wildcards. Media resolution relies on these rules
// ("game.*" must also find a file named "game"), so the POSIX build follows
// them rather than the shell's glob rules.
#include <string_view>

namespace zelk::control {

// Matches one file name (no folder) against one pattern:
//   "*"  any run of characters, dots included, also none;
//   "?"  any one character, or none at the end of the name or before a ".";
//   "."  followed by "*" or "?" or ending the pattern: a "." or the end of the
//        name, so "name.*" and "name." also match "name";
//   anything else matches itself without regard to ASCII letter case.
// Not followed: the 8.3 short names that Windows also tries, and case folding
// beyond ASCII.
bool matchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace zelk::control
