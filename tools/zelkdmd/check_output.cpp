#include "tools/zelkdmd/check_output.h"

#include <string>

#include "tools/zelkdmd/json_text.h"

namespace zelk::tools {
namespace {

const char* severityName(Severity severity) {
    switch (severity) {
    case Severity::note: return "note";
    case Severity::warning: return "warning";
    case Severity::error: return "error";
    }
    return "?";
}

size_t countOf(const PackCheck& pack, Severity severity) {
    size_t count = 0;
    const auto tally = [&](const std::vector<Finding>& list) {
        for (const Finding& f : list) count += f.severity == severity;
    };
    tally(pack.findings);
    for (const PictureCheck& picture : pack.pictures) tally(picture.findings);
    return count;
}

// Columns and rows inclusive, as a paint program shows them.
std::string regionText(const PictureCheck& picture) {
    const device::MaskRect& r = picture.region;
    const std::string size = std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
    const std::string lit = std::to_string(picture.litDots) + " dots lit";
    if (picture.wholePicture) return "whole picture (" + size + "), " + lit;
    return "region x " + std::to_string(r.left) + "-" + std::to_string(r.right - 1) + ", y " +
           std::to_string(r.top) + "-" + std::to_string(r.bottom - 1) + " (" + size + "), " + lit;
}

void printFindings(const std::vector<Finding>& findings, const char* indent, FILE* to) {
    for (const Finding& f : findings) std::fprintf(to, "%s%s: %s\n", indent, severityName(f.severity), f.text.c_str());
}

std::string jsonFindings(const std::vector<Finding>& findings) {
    std::string out = "[";
    for (size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        out += std::string(i ? ", " : "") + "{\"severity\": " + jsonString(severityName(f.severity)) +
               ", \"kind\": " + jsonString(f.kind) + ", \"text\": " + jsonString(f.text) + "}";
    }
    return out + "]";
}

std::string jsonPicture(const PictureCheck& p) {
    std::string out = "{\"number\": " + std::to_string(p.number) + ", \"file\": " + jsonString(p.file) +
                      ", \"read\": " + (p.read ? "true" : "false");
    if (p.read) {
        const device::MaskRect& r = p.region;
        out += ", \"width\": " + std::to_string(p.width) + ", \"height\": " + std::to_string(p.height) +
               ", \"depth\": " + std::to_string(p.storedDepth) + ", \"region\": {\"top\": " +
               std::to_string(r.top) + ", \"left\": " + std::to_string(r.left) + ", \"right\": " +
               std::to_string(r.right) + ", \"bottom\": " + std::to_string(r.bottom) + "}, \"wholePicture\": " +
               (p.wholePicture ? "true" : "false") + ", \"litDots\": " + std::to_string(p.litDots);
    }
    return out + ", \"findings\": " + jsonFindings(p.findings) + "}";
}

}  // namespace

void printCheckText(const PackCheck& pack, FILE* to) {
    std::fprintf(to, "trigger folder: %s (game \"%s\")\n", pack.folder.c_str(), pack.game.c_str());
    printFindings(pack.findings, "", to);
    if (pack.liveWidth > 0) {
        std::fprintf(to, "live mask: %dx%d from 1.bmp; frames smaller than that never match\n",
                     static_cast<int>(pack.liveWidth), static_cast<int>(pack.liveHeight));
    }
    for (const PictureCheck& picture : pack.pictures) {
        if (picture.read) {
            std::fprintf(to, "%s: %dx%d, %s\n", picture.file.c_str(), static_cast<int>(picture.width),
                         static_cast<int>(picture.height), regionText(picture).c_str());
        } else {
            std::fprintf(to, "%s:\n", picture.file.c_str());
        }
        printFindings(picture.findings, "  ", to);
    }
    std::fprintf(to, "%d picture%s loaded, matching %s; %zu error%s, %zu warning%s\n", pack.loaded,
                 pack.loaded == 1 ? "" : "s", pack.matchingOn ? "on" : "off", countOf(pack, Severity::error),
                 countOf(pack, Severity::error) == 1 ? "" : "s", countOf(pack, Severity::warning),
                 countOf(pack, Severity::warning) == 1 ? "" : "s");
}

void printCheckJson(const PackCheck& pack, FILE* to) {
    std::string out = "{\"folder\": " + jsonString(pack.folder) + ", \"game\": " + jsonString(pack.game) +
                      ", \"usable\": " + (pack.usable() ? "true" : "false") + ", \"exactColorMatch\": " +
                      (pack.exactColorMatch ? "true" : "false") + ", \"loaded\": " + std::to_string(pack.loaded) +
                      ", \"matchingOn\": " + (pack.matchingOn ? "true" : "false") + ", \"liveMask\": {\"width\": " +
                      std::to_string(pack.liveWidth) + ", \"height\": " + std::to_string(pack.liveHeight) +
                      "},\n \"findings\": " + jsonFindings(pack.findings) + ",\n \"pictures\": [";
    for (size_t i = 0; i < pack.pictures.size(); ++i) out += (i ? ",\n  " : "\n  ") + jsonPicture(pack.pictures[i]);
    out += "]}\n";
    std::fputs(out.c_str(), to);
}

}  // namespace zelk::tools
