#include "tools/zelkdmd/doctor_hosts.h"

#include <algorithm>
#include <filesystem>

#include "device/entry/settings_keys.h"
#include "tools/zelkdmd/utf8_path.h"

namespace zelk::tools {
namespace {

struct DeviceName {
    const char* file;
    Bitness bitness;
    const char* pluginBuild;  // in the release zip
};
constexpr DeviceName kDeviceNames[] = {{"DmdDevice.dll", Bitness::bits32, "x86\\dmddeviceZelk.dll"},
                                       {"DmdDevice64.dll", Bitness::bits64, "x64\\dmddeviceZelk64.dll"}};

// The host libraries that make a folder a PinMAME host's.
constexpr const char* kHostLibraries[] = {"VPinMAME.dll", "VPinMAME64.dll", "FlexDMD.dll"};

std::string folderOf(const std::string& path) { return utf8Of(pathOf(path).parent_path()); }

HostFolder& hostFor(std::vector<HostFolder>& hosts, const std::string& folder, const std::string& host) {
    const std::string key = lowerAscii(utf8Of(pathOf(folder).lexically_normal()));
    for (HostFolder& known : hosts) {
        if (lowerAscii(utf8Of(pathOf(known.folder).lexically_normal())) == key) return known;
    }
    return hosts.emplace_back(HostFolder{folder, host, false, {}, {}});
}

void addBitness(HostFolder& host, Bitness bitness) {
    if (std::find(host.bitnesses.begin(), host.bitnesses.end(), bitness) == host.bitnesses.end()) {
        host.bitnesses.push_back(bitness);
    }
}

bool hostNeeds(const HostFolder& host, Bitness bitness) {
    return std::find(host.bitnesses.begin(), host.bitnesses.end(), bitness) != host.bitnesses.end();
}

std::string bitnessesText(const HostFolder& host) {
    std::string text;
    for (const Bitness b : host.bitnesses) text += (text.empty() ? "" : " and ") + std::string(bitnessText(b));
    return text.empty() ? "bitness unknown" : text;
}

// The finding of a device library that is there.
void addDeviceFinding(DoctorSection& section, const DeviceName& name, const LibraryInfo& info) {
    const std::string head = std::string(name.file) + ": ";
    if (!info.unreadable.empty()) {
        return section.problem("unreadable", head + "no Windows library (" + info.unreadable + ")",
                               std::string("put the plug-in (") + name.pluginBuild + ") here as " + name.file);
    }
    const std::string what = identityText(info) + ", " + bitnessText(info.bitness);
    if (info.bitness != name.bitness) {
        return section.problem(
            "bitness", head + what + ", but a " + bitnessText(name.bitness) + " host loads this name",
            info.plugin ? std::string("put ") + name.pluginBuild + " here as " + name.file
                        : std::string("put the driver's ") + bitnessText(name.bitness) + " build here as " + name.file);
    }
    const std::string lacked = lackedEntries(info, kPinMameRequiredEntries);
    if (!lacked.empty()) {
        return section.problem("entry-points", head + what + ", lacks " + lacked + ": PinMAME refuses it",
                               std::string("put the plug-in (") + name.pluginBuild + ") or a complete driver here");
    }
    section.ok("device", head + what + ", " + entriesText(info));
}

}  // namespace

void addRegisteredHost(std::vector<HostFolder>& hosts, const std::string& host, const std::string& library,
                       const Inspect& inspect) {
    HostFolder& folder = hostFor(hosts, folderOf(library), host);
    folder.pinMame = true;
    const LibraryInfo info = inspect(library);
    if (!info.exists) {
        folder.missing.push_back(library);
    } else {
        addBitness(folder, info.bitness);
    }
}

void addGivenFolder(std::vector<HostFolder>& hosts, const std::string& folder, const Inspect& inspect) {
    HostFolder& host = hostFor(hosts, folder, "host");
    for (const char* name : kHostLibraries) {
        const std::optional<std::string> path = fileInFolder(folder, name);
        if (!path) continue;
        host.pinMame = true;
        if (host.host == "host") host.host = std::string(name).starts_with("FlexDMD") ? "FlexDMD" : "VPinMAME";
        addBitness(host, inspect(*path).bitness);
    }
}

DoctorSection checkHostFolder(const HostFolder& host, SettingsPlace& place, const Inspect& inspect) {
    DoctorSection section;
    section.kind = "host-folder";
    section.title = host.host + " folder " + host.folder + " (" + bitnessesText(host) + ")";
    place.folder = host.folder;
    place.host = host.host;
    place.pinMameHost = host.pinMame;
    for (const std::string& library : host.missing) {
        section.problem("host-missing", host.host + " is registered as " + library + ", which is not there",
                        "install " + host.host + " again, or register it from where it is now");
    }
    if (!std::filesystem::is_directory(pathOf(host.folder))) {
        section.problem("no-folder", "no such folder", "give the folder the host loads its DMD device from");
        return section;
    }
    bool anyDevice = false;
    const bool settingsHere = fileInFolder(host.folder, device::kSettingsFileName).has_value();
    for (const DeviceName& name : kDeviceNames) {
        const std::optional<std::string> path = fileInFolder(host.folder, name.file);
        if (path) {
            anyDevice = true;
            const LibraryInfo info = inspect(*path);
            addDeviceFinding(section, name, info);
            // Where libraries cannot be identified, a settings file beside
            // one says that the plug-in is meant to be there.
            if (info.plugin || (!info.identified && settingsHere)) {
                place.plugins.push_back(PluginCopy{*path, info.bitness});
            }
        } else if (hostNeeds(host, name.bitness)) {
            section.problem("missing-device",
                            std::string(name.file) + " is missing: the " + bitnessText(name.bitness) + " " +
                                host.host + " has no DMD device to call",
                            std::string("copy ") + name.pluginBuild + " here as " + name.file);
        }
    }
    if (!anyDevice && !hostNeeds(host, Bitness::bits32) && !hostNeeds(host, Bitness::bits64)) {
        section.problem("missing-device", "no DmdDevice.dll or DmdDevice64.dll: the host has no DMD device to call",
                        "copy the plug-in of the host's bitness here as DmdDevice.dll (32-bit) or DmdDevice64.dll "
                        "(64-bit)");
    }
    for (const std::string& name : librariesInFolder(host.folder)) {
        const std::string lower = lowerAscii(name);
        if (lower.starts_with("dmddevice.") || lower.starts_with("dmddevice64.") || lower.starts_with("vpinmame") ||
            lower.starts_with("flexdmd")) {
            continue;
        }
        place.otherLibraries.push_back(name);
    }
    return section;
}

}  // namespace zelk::tools
