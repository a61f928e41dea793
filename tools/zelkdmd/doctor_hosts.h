#pragma once
// The host folders the doctor checks, and the DMD device libraries in each:
// DmdDevice.dll for a 32-bit host, DmdDevice64.dll for a 64-bit one.
#include <string>
#include <vector>

#include "tools/zelkdmd/doctor_libraries.h"
#include "tools/zelkdmd/doctor_report.h"
#include "tools/zelkdmd/doctor_settings.h"

namespace zelk::tools {

struct HostFolder {
    std::string folder;
    std::string host;                  // "VPinMAME", "FlexDMD", or "host" for a folder given
    bool pinMame = false;              // a host that sends shaded frames only
    std::vector<Bitness> bitnesses;    // of the host's own libraries found
    std::vector<std::string> missing;  // registered host files that are not there
};

// The host folder of a registered host library.
void addRegisteredHost(std::vector<HostFolder>& hosts, const std::string& host, const std::string& library,
                       const Inspect& inspect);
// A folder given on the command line: a PinMAME host when VPinMAME's or
// FlexDMD's library lies in it.
void addGivenFolder(std::vector<HostFolder>& hosts, const std::string& folder, const Inspect& inspect);

// The section of one host folder; the plug-in's copies found there are
// added to place.plugins.
DoctorSection checkHostFolder(const HostFolder& host, SettingsPlace& place, const Inspect& inspect);

}  // namespace zelk::tools
