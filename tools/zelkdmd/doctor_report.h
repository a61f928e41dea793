#pragma once
// zelkdmd doctor's findings as data: one section per thing checked, each
// finding ok or a problem, and each problem with one line saying what to do.
// doctor_output.cpp prints them as text or JSON.
#include <cstdio>
#include <string>
#include <vector>

namespace zelk::tools {

struct DoctorFinding {
    bool problem = false;
    std::string kind;  // stable name for scripts ("unknown-key", "bitness", ...)
    std::string text;  // what was found
    std::string fix;   // what to do; problems only
    // A setting in effect: its key, its value and whether that is the default.
    std::string key;
    std::string value;
    bool isDefault = false;
};

struct DoctorSection {
    std::string kind;   // "host-folder", "settings", "player", "control-program", "log"
    std::string title;  // what was checked, a path included
    std::vector<DoctorFinding> findings;

    void ok(const char* findingKind, std::string findingText) {
        findings.push_back(DoctorFinding{false, findingKind, std::move(findingText), {}, {}, {}, false});
    }
    void problem(const char* findingKind, std::string findingText, std::string whatToDo) {
        findings.push_back(
            DoctorFinding{true, findingKind, std::move(findingText), std::move(whatToDo), {}, {}, false});
    }
};

struct DoctorReport {
    std::vector<DoctorSection> sections;
    size_t problems() const;
};

void printDoctorText(const DoctorReport& report, FILE* to);
void printDoctorJson(const DoctorReport& report, FILE* to);

}  // namespace zelk::tools
