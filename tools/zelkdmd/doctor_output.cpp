// The doctor's report as a screen of text (problems first in each section's
// order of checking, fixes indented under them) or as JSON for scripts.
#include <algorithm>
#include <string>

#include "tools/zelkdmd/doctor_report.h"
#include "tools/zelkdmd/json_text.h"

namespace zelk::tools {
namespace {

// A section lists this many ok lines of one kind (game folders) and counts
// the rest, so that a large media folder still fits a screen.
constexpr size_t kOkLinesShown = 8;

void printSectionText(const DoctorSection& section, FILE* to) {
    std::fprintf(to, "\n%s\n", section.title.c_str());
    // The settings in effect, two lines: those set in the file, and the defaults.
    std::string set;
    std::string defaults;
    size_t okShown = 0;
    size_t okHidden = 0;
    for (const DoctorFinding& f : section.findings) {
        if (!f.key.empty()) {
            std::string& list = f.isDefault ? defaults : set;
            list += (list.empty() ? "" : ", ") + f.key + (f.value.empty() ? "" : "=" + f.value);
            continue;
        }
        if (!f.problem && ++okShown > kOkLinesShown) {
            ++okHidden;
            continue;
        }
        std::fprintf(to, "  %-8s %s\n", f.problem ? "problem" : "ok", f.text.c_str());
        if (f.problem) std::fprintf(to, "           do: %s\n", f.fix.c_str());
    }
    if (okHidden > 0) std::fprintf(to, "  %-8s and %zu more like these\n", "ok", okHidden);
    if (!set.empty()) std::fprintf(to, "  %-8s set: %s\n", "ok", set.c_str());
    if (!defaults.empty()) std::fprintf(to, "  %-8s defaults: %s\n", "ok", defaults.c_str());
}

std::string jsonFinding(const DoctorFinding& f) {
    std::string out = "{\"status\": " + jsonString(f.problem ? "problem" : "ok") + ", \"kind\": " + jsonString(f.kind) +
                      ", \"text\": " + jsonString(f.text);
    if (f.problem) out += ", \"fix\": " + jsonString(f.fix);
    if (!f.key.empty()) {
        out += ", \"key\": " + jsonString(f.key) + ", \"value\": " + jsonString(f.value) +
               ", \"default\": " + (f.isDefault ? "true" : "false");
    }
    return out + "}";
}

}  // namespace

size_t DoctorReport::problems() const {
    size_t count = 0;
    for (const DoctorSection& section : sections) {
        count += static_cast<size_t>(std::count_if(section.findings.begin(), section.findings.end(),
                                                   [](const DoctorFinding& f) { return f.problem; }));
    }
    return count;
}

void printDoctorText(const DoctorReport& report, FILE* to) {
    const size_t problems = report.problems();
    if (problems == 0) {
        std::fputs("zelkdmd doctor: everything checked is in place\n", to);
    } else {
        std::fprintf(to, "zelkdmd doctor: %zu problem%s\n", problems, problems == 1 ? "" : "s");
    }
    for (const DoctorSection& section : report.sections) printSectionText(section, to);
}

void printDoctorJson(const DoctorReport& report, FILE* to) {
    std::string out = "{\"problems\": " + std::to_string(report.problems()) + ", \"sections\": [";
    for (size_t s = 0; s < report.sections.size(); ++s) {
        const DoctorSection& section = report.sections[s];
        out += std::string(s ? ",\n " : "\n ") + "{\"kind\": " + jsonString(section.kind) +
               ", \"title\": " + jsonString(section.title) + ", \"findings\": [";
        for (size_t f = 0; f < section.findings.size(); ++f) {
            out += (f ? ",\n   " : "\n   ") + jsonFinding(section.findings[f]);
        }
        out += "]}";
    }
    out += "]}\n";
    std::fputs(out.c_str(), to);
}

}  // namespace zelk::tools
