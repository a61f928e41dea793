#pragma once
// Settings on Windows: the system's own profile-file functions.
#include "device/entry/settings.h"

namespace zelk::device {

class Win32Settings : public Settings {
public:
    std::optional<std::string> readProfileString(const std::string& file, const std::string& section,
                                                 const std::string& key) override;
    void writeProfileString(const std::string& file, const std::string& section, const std::string& key,
                            const std::string& value) override;
};

}  // namespace zelk::device
