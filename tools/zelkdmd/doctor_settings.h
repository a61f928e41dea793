#pragma once
// The plug-in's settings in one folder as the doctor reports them: every key
// in effect, keys the plug-in does not know (with the nearest one it does),
// values it does not take, SHADEDHOST where a PinMAME host needs it, and
// whether FORWARD reaches a driver the plug-in can load.
#include <optional>
#include <string>
#include <vector>

#include "tools/zelkdmd/doctor_libraries.h"
#include "tools/zelkdmd/doctor_report.h"

namespace zelk::tools {

struct PluginCopy {
    std::string path;
    Bitness bitness = Bitness::unknown;
};

struct SettingsPlace {
    std::string folder;
    std::vector<PluginCopy> plugins;          // the plug-in's copies there
    std::string host;                         // "VPinMAME", ...; empty when none is known
    bool pinMameHost = false;                 // a host that sends shaded frames only
    std::vector<std::string> otherLibraries;  // names of the folder's other *.dll files
};

// text: the settings file's bytes; nullopt when the folder has none.
DoctorSection checkSettings(const std::optional<std::string>& text, const SettingsPlace& place,
                            const Inspect& inspect);

// The known key nearest to key by spelling (letters' case not counting, a
// swap of two letters one step); empty when none is near enough.
std::string nearestKnownKey(const std::string& key);

}  // namespace zelk::tools
