#pragma once
// Settings on POSIX: the profile file read whole (through the bounded read)
// and searched by the core's profile rules.
#include "device/entry/settings.h"

namespace zelk::device {

class PosixSettings : public Settings {
public:
    std::optional<std::string> readProfileString(const std::string& file, const std::string& section,
                                                 const std::string& key) override;
    void writeProfileString(const std::string& file, const std::string& section, const std::string& key,
                            const std::string& value) override;
};

}  // namespace zelk::device
