#pragma once
// The automation server's command line and the command it registers for the
// automation runtime to start it with. Pure text rules, kept apart from the
// registry and COM so that they can be checked everywhere.
#include <string>
#include <vector>

namespace zelk::control {

enum class StartMode { standalone, automation, regServer, unregServer };

struct ServerStart {
    StartMode mode = StartMode::standalone;
    bool perUser = false;  // registration below HKEY_CURRENT_USER\Software\Classes
};

// parameters: the command line after the program name. A parameter is a
// switch when it starts with '-' or '/' and the rest names the switch in any
// letter case. The switches are tried in a fixed order (AUTOMATION,
// EMBEDDING, REGSERVER, UNREGSERVER, REGSERVERPERUSER, UNREGSERVERPERUSER) and
// the first one present decides.
ServerStart readStartMode(const std::vector<std::string>& parameters);

// The LocalServer32 value for the program file: its full path, or, when that
// has a space, its short (8.3) form. A volume without short names hands back
// the long path (shortPath still has a space, or is empty): the path is then
// written in double quotes, so that Windows cannot start "C:\Program.exe"
// instead of "C:\Program Files\...".
std::string localServerCommand(const std::string& fullPath, const std::string& shortPath);

}  // namespace zelk::control
