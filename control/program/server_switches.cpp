#include "control/program/server_switches.h"

#include <cctype>

namespace zelk::control {
namespace {

bool namesSwitch(const std::string& parameter, const std::string& name) {
    if (parameter.size() != name.size() + 1 || (parameter[0] != '-' && parameter[0] != '/')) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(parameter[i + 1])) != name[i]) return false;
    }
    return true;
}

}  // namespace

ServerStart readStartMode(const std::vector<std::string>& parameters) {
    struct Switch {
        const char* name;
        StartMode mode;
        bool perUser;
    };
    static const Switch switches[] = {
        {"AUTOMATION", StartMode::automation, false},
        {"EMBEDDING", StartMode::automation, false},
        {"REGSERVER", StartMode::regServer, false},
        {"UNREGSERVER", StartMode::unregServer, false},
        {"REGSERVERPERUSER", StartMode::regServer, true},
        {"UNREGSERVERPERUSER", StartMode::unregServer, true},
    };
    for (const Switch& s : switches) {
        for (const std::string& parameter : parameters) {
            if (namesSwitch(parameter, s.name)) return {s.mode, s.perUser};
        }
    }
    return {};
}

std::string localServerCommand(const std::string& fullPath, const std::string& shortPath) {
    const auto hasSpace = [](const std::string& path) { return path.find(' ') != std::string::npos; };
    if (!hasSpace(fullPath)) return fullPath;
    if (!shortPath.empty() && !hasSpace(shortPath)) return shortPath;
    return "\"" + fullPath + "\"";
}

}  // namespace zelk::control
