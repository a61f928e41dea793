#pragma once
// The plug-in's settings file (dmddevicezelk.ini), read as a profile file.
// The one write is the preview's position after a drag, and only when the
// file itself asks for it (PREVIEWSAVE=1).
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
    // Sets one value, creating the section or key as needed and keeping the
    // rest of the file. Throws zelk::Error when the file cannot be written.
    virtual void writeProfileString(const std::string& file, const std::string& section, const std::string& key,
                                    const std::string& value) = 0;
};

}  // namespace zelk::device
