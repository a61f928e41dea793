#pragma once
// The plug-in's settings file (dmddevicezelk.ini), read as a profile file.
#include <optional>
#include <string>

namespace zelk::device {

class Settings {
public:
    virtual ~Settings() = default;

    // One value of a profile (INI) file, as text; nullopt when the file,
    // section or key is missing. Section and key match without regard to case.
    virtual std::optional<std::string> readProfileString(const std::string& file,
                                                         const std::string& section,
                                                         const std::string& key) = 0;
};

}  // namespace zelk::device
