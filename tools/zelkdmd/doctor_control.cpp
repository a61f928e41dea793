// The control program loads its DMD device library from its own folder at
// start: the x64 build dmddevice64.dll, else dmddevice.dll; the x86 build
// dmddevice.dll (control/program/win32/start_up.cpp). The doctor follows
// the same choice from the program's bitness.
#include "tools/zelkdmd/doctor_checks.h"

namespace zelk::tools {
namespace {

// The entry points the control program binds; it refuses a library without one.
constexpr DmdEntry kControlEntries[] = {DmdEntry::Open, DmdEntry::PM_GameSettings, DmdEntry::Render_RGB24,
                                        DmdEntry::Close};

std::string folderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

void addLibraryFinding(DoctorSection& section, const LibraryInfo& program, const Inspect& inspect) {
    const std::string folder = folderOf(program.path);
    std::optional<std::string> library;
    if (program.bitness == Bitness::bits64) library = fileInFolder(folder, "dmddevice64.dll");
    if (!library) library = fileInFolder(folder, "dmddevice.dll");
    const std::string wanted =
        program.bitness == Bitness::bits64 ? "dmddevice64.dll or dmddevice.dll" : "dmddevice.dll";
    if (!library) {
        return section.problem("no-library", "finds no " + wanted + " beside it: it cannot start",
                               "put the plug-in (or your DMD driver) beside it as " + wanted);
    }
    const LibraryInfo info = inspect(*library);
    const std::string head = "loads " + *library + ": ";
    if (!info.unreadable.empty()) {
        return section.problem("library-unreadable", head + "no Windows library (" + info.unreadable + ")",
                               "put the plug-in beside it as " + wanted);
    }
    const std::string what = identityText(info) + ", " + bitnessText(info.bitness);
    if (info.bitness != program.bitness) {
        return section.problem("library-bitness", head + what + ", but the program is " + bitnessText(program.bitness),
                               std::string("use the ") + bitnessText(info.bitness) + " build of ZelkDMDControl.exe");
    }
    const std::string lacked = lackedEntries(info, kControlEntries);
    if (!lacked.empty()) {
        return section.problem("library-entry-points", head + what + ", lacks " + lacked + ": the program refuses it",
                               "put the plug-in beside it as " + wanted);
    }
    section.ok("library", head + what);
}

}  // namespace

DoctorSection checkControlProgram(const std::vector<std::string>& programs, const Inspect& inspect) {
    DoctorSection section;
    section.kind = "control-program";
    section.title = "Control program ZelkDMDControl.DMD";
    if (programs.empty()) {
        section.problem("not-registered", "not registered: front-ends cannot show pictures through it",
                        "run ZelkDMDControl.exe /regserver in the folder of the DMD device library it should use");
    }
    for (const std::string& path : programs) {
        const LibraryInfo program = inspect(path);
        if (!program.exists) {
            section.problem("program-missing", "registered as " + path + ", which is not there",
                            "run ZelkDMDControl.exe /regserver again from where it is now");
            continue;
        }
        section.ok("registered", "registered as " + path + " (" + bitnessText(program.bitness) + ")");
        addLibraryFinding(section, program, inspect);
    }
    return section;
}

}  // namespace zelk::tools
