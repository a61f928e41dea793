// Listing the folder is the check's own work (the plug-in only asks for
// 1.bmp, 2.bmp, ...); the names it compares with are the plug-in's.
#include "tools/zelkdmd/folder_findings.h"

#include <cctype>
#include <filesystem>
#include <map>
#include <system_error>

#include "device/matching/trigger_pictures.h"
#include "tools/zelkdmd/utf8_path.h"

namespace zelk::tools {
namespace {

namespace fs = std::filesystem;

// Names listed in one finding; the rest are counted.
constexpr size_t kNamesListed = 8;

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The number of a name that reads as a numbered BMP ("007.BMP"), capped so
// that long digit strings stay above the plug-in's range.
std::optional<int> pictureNumberOf(const std::string& name) {
    const size_t dot = name.size() >= 5 ? name.size() - 4 : 0;
    if (dot == 0 || lowerCase(name.substr(dot)) != ".bmp") return std::nullopt;
    int number = 0;
    for (size_t i = 0; i < dot; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
        number = std::min(number * 10 + (name[i] - '0'), 1000000);
    }
    return number;
}

// Names in the folder that read as numbered BMPs, by number.
std::multimap<int, std::string> numberedNames(const std::string& folder) {
    std::multimap<int, std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(pathOf(folder), error), end; !error && it != end; it.increment(error)) {
        if (it->is_directory(error)) continue;
        const std::string name = utf8Of(it->path().filename());
        if (const std::optional<int> number = pictureNumberOf(name)) names.emplace(*number, name);
    }
    return names;
}

// Whether asking the system for wanted opens the file name: on Windows
// "12.BMP" is 12.bmp, on Linux it is not.
bool opensAs(const std::string& folder, const std::string& name, const std::string& wanted) {
    std::error_code error;
    return name == wanted || fs::equivalent(pathOf(folder) / pathOf(name), pathOf(folder) / pathOf(wanted), error);
}

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size() && i < kNamesListed; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > kNamesListed) text += " and " + std::to_string(names.size() - kNamesListed) + " more";
    return text;
}

}  // namespace

void addIgnoredFiles(PackCheck& pack, int end) {
    std::vector<std::string> afterGap;
    std::vector<std::string> pastLimit;
    for (const auto& [number, name] : numberedNames(pack.folder)) {
        const std::string wanted = device::triggerPictureName(number);
        // On a system where letter case does not count, "2.BMP" is 2.bmp.
        if (number >= 1 && number < end && lowerCase(name) == wanted) continue;
        if (number == 0 || (!opensAs(pack.folder, name, wanted) && number <= device::kMaxTriggerPictures)) {
            const std::string why = number == 0                 ? "the numbering starts at 1"
                                    : lowerCase(name) == wanted ? "the plug-in asks for " + wanted +
                                                                      " (letter case counts on this system, "
                                                                      "not on Windows)"
                                                                : "the plug-in asks for " + wanted;
            addFinding(pack.findings, Severity::error, "misnamed", name + " is never loaded: " + why);
        } else if (number > device::kMaxTriggerPictures) {
            pastLimit.push_back(name);
        } else {
            afterGap.push_back(name);
        }
    }
    if (!afterGap.empty()) {
        addFinding(pack.findings, Severity::error, "gap",
                   device::triggerPictureName(end) + " is missing, which ends the set at picture " +
                       std::to_string(end - 1) + ": " +
                       counted(static_cast<int64_t>(afterGap.size()), "later picture is", "later pictures are") +
                       " ignored (" + listed(afterGap) + ")");
    }
    if (!pastLimit.empty()) {
        addFinding(pack.findings, Severity::error, "over-500",
                   "at most " + std::to_string(device::kMaxTriggerPictures) +
                       " pictures are loaded: " + counted(static_cast<int64_t>(pastLimit.size()), "is", "are") +
                       " ignored (" + listed(pastLimit) + ")");
    }
}

void addFolderNameFindings(PackCheck& pack) {
    const fs::path path = pathOf(pack.folder);
    pack.game = utf8Of(path.parent_path().filename());
    // Letter case does not count in the plug-in's folder look-up on Windows.
    if (lowerCase(utf8Of(path.filename())) != lowerCase(device::kCaptureFolderName)) {
        addFinding(pack.findings, Severity::warning, "folder-name",
                   "the plug-in only looks in a folder named " + std::string(device::kCaptureFolderName) +
                       " inside the game's folder");
    }
}

}  // namespace zelk::tools
