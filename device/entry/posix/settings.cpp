#include "device/entry/posix/settings.h"

#include "core/error.h"
#include "core/ini_file.h"
#include "platform/bounded_read.h"

namespace zelk::device {
namespace {

// The settings file is a few lines; anything far larger is not one.
constexpr size_t kMaxSettingsBytes = 1u << 20;

}  // namespace

std::optional<std::string> PosixSettings::readProfileString(const std::string& file, const std::string& section,
                                                            const std::string& key) {
    std::vector<uint8_t> text;
    try {
        text = platform::readWholeFile(file, kMaxSettingsBytes);
    } catch (const Error&) {
        return std::nullopt;  // a missing or unreadable file (a pipe included) has no values
    }
    return findProfileValue(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()),
                            section, key);
}

// Nothing asks for it here: POSIX has no preview window to drag.
void PosixSettings::writeProfileString(const std::string& file, const std::string&, const std::string&,
                                       const std::string&) {
    throw Error("EIniFileException", "Unable to write to " + file + ". Not supported on this system.");
}

}  // namespace zelk::device
