// No registry and no version resources here: the doctor checks the folders
// it is given, and a library it cannot identify counts as another driver.
#include "tools/zelkdmd/doctor_system.h"

#include "core/utf8.h"

namespace zelk::tools {

bool systemHasRegistry() { return false; }

std::vector<std::string> registeredServerFiles(const std::string&, ServerKind) { return {}; }

std::optional<PlayerRegistration> registeredPlayer() { return std::nullopt; }

std::optional<LibraryIdentity> readLibraryIdentity(const std::string&) { return std::nullopt; }

// Broken sequences become U+FFFD.
std::string logTextAsUtf8(const std::string& bytes) { return utf16ToUtf8(utf8ToUtf16(bytes)); }

}  // namespace zelk::tools
