// zelkdmd doctor: whether every piece of a cabinet's set-up is where it must
// be, read only. The host folders (registered VPinMAME and FlexDMD, and the
// folders given), the plug-in's settings in each where it is installed, the
// player, the control program and the plug-in's last log.
#include <cstdio>
#include <optional>
#include <string>

#include "device/log/log_writer.h"
#include "device/entry/platform.h"
#include "device/entry/settings_keys.h"
#include "platform/bounded_read.h"
#include "tools/zelkdmd/commands.h"
#include "tools/zelkdmd/doctor_checks.h"
#include "tools/zelkdmd/doctor_hosts.h"
#include "tools/zelkdmd/doctor_system.h"

namespace zelk::tools {
namespace {

constexpr int kNoProblemExit = 0;
constexpr int kProblemExit = 1;
constexpr int kUsageExit = 2;
// The settings file is a few lines, the log one run's lines.
constexpr size_t kMaxSettingsBytes = 1u << 20;
constexpr size_t kMaxLogBytes = 64u << 20;

const char* const kUsage =
    "usage: zelkdmd doctor [--json] [--folder DIR]...\n"
    "\n"
    "Checks, reading only, whether the plug-in is set up: the DMD device libraries\n"
    "in each host's folder (their bitness and entry points), the plug-in's settings\n"
    "there, and on Windows the media player with its trigger packs, the control\n"
    "program and the plug-in's last log. Each problem comes with what to do.\n"
    "On Windows the folders of the registered VPinMAME and FlexDMD are checked;\n"
    "elsewhere only the folders given.\n"
    "\n"
    "  --folder DIR   check DIR as a host's folder too (repeatable)\n"
    "  --json         the same findings as JSON, for scripts\n"
    "\n"
    "Exit status: 0 no problem, 1 a problem found, 2 bad command line.\n";

struct DoctorOptions {
    bool json = false;
    std::vector<std::string> folders;
};

int usageError(const std::string& message) {
    std::fprintf(stderr, "zelkdmd doctor: %s\n%s", message.c_str(), kUsage);
    return kUsageExit;
}

// nullopt when the file is not there or cannot be read.
std::optional<std::string> readText(const std::string& path, size_t maxBytes) {
    try {
        const std::vector<uint8_t> bytes = platform::readWholeFile(path, maxBytes);
        return std::string(bytes.begin(), bytes.end());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> logText(const std::string& path) {
    std::optional<std::string> text = readText(path, kMaxLogBytes);
    if (text) *text = logTextAsUtf8(*text);
    return text;
}

std::vector<HostFolder> hostFolders(const DoctorOptions& options, const Inspect& inspect) {
    std::vector<HostFolder> hosts;
    if (systemHasRegistry()) {
        for (const std::string& library : registeredServerFiles("VPinMAME.Controller", ServerKind::inProcess)) {
            addRegisteredHost(hosts, "VPinMAME", library, inspect);
        }
        for (const std::string& library : registeredServerFiles("FlexDMD.FlexDMD", ServerKind::inProcess)) {
            addRegisteredHost(hosts, "FlexDMD", library, inspect);
        }
    }
    for (const std::string& folder : options.folders) addGivenFolder(hosts, folder, inspect);
    return hosts;
}

DoctorReport examine(const DoctorOptions& options) {
    const Inspect inspect = inspectLibrary;
    DoctorReport report;
    const std::vector<HostFolder> hosts = hostFolders(options, inspect);
    if (hosts.empty()) {
        DoctorSection& none = report.sections.emplace_back();
        none.kind = "host-folder";
        none.title = "Host folders";
        none.problem("no-host", "neither VPinMAME nor FlexDMD is registered, and no folder was given",
                     "name the folder your host loads its DMD device from: zelkdmd doctor --folder DIR");
    }
    std::vector<SettingsPlace> places;
    for (const HostFolder& host : hosts) {
        SettingsPlace place;
        report.sections.push_back(checkHostFolder(host, place, inspect));
        if (!place.plugins.empty()) places.push_back(place);
    }
    for (const SettingsPlace& place : places) {
        const std::optional<std::string> path = fileInFolder(place.folder, device::kSettingsFileName);
        const std::optional<std::string> text = path ? readText(*path, kMaxSettingsBytes) : std::nullopt;
        report.sections.push_back(checkSettings(text, place, inspect));
    }
    if (systemHasRegistry()) {
        report.sections.push_back(checkPlayer(registeredPlayer(), device::hostPlatform().files));
        report.sections.push_back(
            checkControlProgram(registeredServerFiles("ZelkDMDControl.DMD", ServerKind::localProgram), inspect));
    }
    for (const SettingsPlace& place : places) {
        const std::optional<std::string> path = fileInFolder(place.folder, device::kLogFileName);
        report.sections.push_back(checkLog(path.value_or(joinPath(place.folder, device::kLogFileName)),
                                           path ? logText(*path) : std::nullopt));
    }
    return report;
}

}  // namespace

int runDoctor(const std::vector<std::string>& args) {
    DoctorOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kNoProblemExit;
        }
        if (arg == "--json") {
            options.json = true;
        } else if (arg == "--folder") {
            if (i + 1 == args.size() || args[i + 1].empty()) return usageError("--folder needs a folder");
            options.folders.push_back(args[++i]);
        } else {
            return usageError("unknown argument '" + arg + "'");
        }
    }
    if (!systemHasRegistry() && options.folders.empty()) {
        return usageError("no --folder given: on this system only the folders given are checked");
    }
    const DoctorReport report = examine(options);
    if (options.json) {
        printDoctorJson(report, stdout);
    } else {
        printDoctorText(report, stdout);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("zelkdmd doctor: cannot write the report\n", stderr);
        return kProblemExit;
    }
    return report.problems() == 0 ? kNoProblemExit : kProblemExit;
}

}  // namespace zelk::tools
