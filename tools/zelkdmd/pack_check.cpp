// zelkdmd check: the game start's walk over a trigger folder, done with the
// plug-in's own reading, marker search and trigger set, with a finding for
// everything the author may not expect.
#include "tools/zelkdmd/pack_check.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <system_error>

#include "device/trigger_pictures.h"
#include "device/trigger_set.h"
#include "tools/zelkdmd/picture_findings.h"

namespace zelk::tools {
namespace {

namespace fs = std::filesystem;

// Names listed in one finding; the rest are counted.
constexpr size_t kNamesListed = 8;

void add(std::vector<Finding>& to, Severity severity, const char* kind, std::string text) {
    to.push_back(Finding{severity, kind, std::move(text)});
}

std::string sizeText(int32_t width, int32_t height) { return std::to_string(width) + "x" + std::to_string(height); }

fs::path pathOf(const std::string& utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

std::string withoutTrailingSeparators(std::string path, char separator) {
    while (path.size() > 1 && (path.back() == separator || path.back() == '/')) path.pop_back();
    return path;
}

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

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size() && i < kNamesListed; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > kNamesListed) text += " and " + std::to_string(names.size() - kNamesListed) + " more";
    return text;
}

// The numbered files the game start never loads: after the gap that ended
// it, past the limit, or not under the exact name it asks for.
void addIgnoredFiles(PackCheck& pack, int end) {
    std::vector<std::string> afterGap;
    std::vector<std::string> pastLimit;
    for (const auto& [number, name] : numberedNames(pack.folder)) {
        const std::string wanted = device::triggerPictureName(number);
        // On a system where letter case does not count, "2.BMP" is 2.bmp.
        if (number >= 1 && number < end && lowerCase(name) == wanted) continue;
        if (number == 0 || (name != wanted && number <= device::kMaxTriggerPictures)) {
            const std::string why = number == 0                 ? "the numbering starts at 1"
                                    : lowerCase(name) == wanted ? "the plug-in asks for " + wanted +
                                                                      " (letter case counts on this system, "
                                                                      "not on Windows)"
                                                                : "the plug-in asks for " + wanted;
            add(pack.findings, Severity::error, "misnamed", name + " is never loaded: " + why);
        } else if (number > device::kMaxTriggerPictures) {
            pastLimit.push_back(name);
        } else {
            afterGap.push_back(name);
        }
    }
    if (!afterGap.empty()) {
        add(pack.findings, Severity::error, "gap",
            device::triggerPictureName(end) + " is missing, which ends the set at picture " +
                std::to_string(end - 1) + ": " +
                counted(static_cast<int64_t>(afterGap.size()), "later picture is", "later pictures are") +
                " ignored (" + listed(afterGap) + ")");
    }
    if (!pastLimit.empty()) {
        add(pack.findings, Severity::error, "over-500",
            "at most " + std::to_string(device::kMaxTriggerPictures) + " pictures are loaded: " +
                counted(static_cast<int64_t>(pastLimit.size()), "is", "are") + " ignored (" + listed(pastLimit) +
                ")");
    }
}

struct ReadPicture {
    size_t check = 0;  // index into PackCheck::pictures
    Bitmap24 picture;
};

// The game start's walk: pictures 1, 2, ... up to the first number without a
// file. Reading goes on past a refused picture, to report every one. Returns
// the pictures read; end is the first missing number.
std::vector<ReadPicture> readPictures(device::Files& files, PackCheck& pack, int& end) {
    std::vector<ReadPicture> read;
    int firstRefused = 0;
    end = device::kMaxTriggerPictures + 1;
    for (int n = 1; n <= device::kMaxTriggerPictures; ++n) {
        const std::string path = pack.folder + files.pathSeparator() + device::triggerPictureName(n);
        if (!files.fileExists(path)) {
            end = n;
            break;
        }
        PictureCheck& check = pack.pictures.emplace_back();
        check.number = n;
        check.file = device::triggerPictureName(n);
        try {
            device::TriggerPicture picture = device::readTriggerPicture(files, path);
            check.read = true;
            check.width = picture.picture.width;
            check.height = picture.picture.height;
            check.storedDepth = picture.storedDepth;
            read.push_back(ReadPicture{pack.pictures.size() - 1, std::move(picture.picture)});
        } catch (const std::exception& e) {
            std::string reason = e.what();
            if (reason.starts_with(path + ": ")) reason.erase(0, path.size() + 2);
            add(check.findings, Severity::error, "refused", "refused: " + reason);
            if (firstRefused == 0) firstRefused = n;
        }
    }
    pack.loaded = firstRefused ? firstRefused - 1 : end - 1;
    pack.matchingOn = pack.loaded > 0 && firstRefused == 0;
    if (firstRefused != 0) {
        add(pack.findings, Severity::error, "start-fails",
            "the game start stops at " + device::triggerPictureName(firstRefused) +
                ", which cannot be read: matching stays off for this game");
    }
    return read;
}

void addPictureFindings(const Bitmap24& picture, bool exactColorMatch, PictureCheck& check) {
    // The cut and mask that TriggerSet::add makes of the picture.
    const device::Trigger trigger = device::cutTrigger(picture, exactColorMatch);
    check.region = trigger.region;
    check.wholePicture = !device::FindMarkerBox(picture);
    check.litDots = std::count_if(trigger.mask.Frame.begin(), trigger.mask.Frame.end(),
                                  [](uint8_t byte) { return byte != 0; });
    if (check.storedDepth != 24) {
        add(check.findings, Severity::note, "converted",
            "stored with " + std::to_string(check.storedDepth) + " bits per dot, converted to 24 on loading");
    }
    addOutlineFindings(picture, check);
    addNearMarkerFindings(picture, check);
    if (check.litDots == 0) {
        add(check.findings, Severity::warning, "no-lit-dot",
            "no lit dot in its region: it matches every frame that is dark there");
    }
}

// Whole-set findings: sizes against picture 1, regions the live mask does
// not hold, and triggers that cannot be told apart.
void addSetFindings(const device::TriggerSet& set, const std::vector<ReadPicture>& read,
                    const std::vector<int>& outside, PackCheck& pack) {
    const PictureCheck& first = pack.pictures[read[0].check];
    for (size_t i = 1; i < read.size(); ++i) {
        PictureCheck& check = pack.pictures[read[i].check];
        if (check.width != first.width || check.height != first.height) {
            add(check.findings, Severity::warning, "size",
                sizeText(check.width, check.height) + ", but picture 1, which sets the size compared, is " +
                    sizeText(first.width, first.height));
        }
    }
    for (const int n : outside) {
        add(pack.pictures[read[static_cast<size_t>(n - 1)].check].findings, Severity::error, "outside",
            "its region does not lie inside picture 1's " + sizeText(pack.liveWidth, pack.liveHeight) +
                ": it never matches");
    }
    for (int b = 2; b <= set.size(); ++b) {
        for (int a = 1; a < b; ++a) {
            const device::Trigger& ta = set.trigger(a);
            const device::Trigger& tb = set.trigger(b);
            if (ta.region != tb.region || ta.mask.fWidth != tb.mask.fWidth || ta.mask.Frame != tb.mask.Frame) {
                continue;
            }
            add(pack.pictures[read[static_cast<size_t>(b - 1)].check].findings, Severity::warning, "same-as",
                "same region and mask as " + pack.pictures[read[static_cast<size_t>(a - 1)].check].file +
                    ": both match together, and as each is new after the other, both are sent on every such frame");
            break;
        }
    }
}

}  // namespace

bool PackCheck::usable() const {
    const auto hasError = [](const std::vector<Finding>& list) {
        return std::any_of(list.begin(), list.end(), [](const Finding& f) { return f.severity == Severity::error; });
    };
    return !hasError(findings) &&
           std::none_of(pictures.begin(), pictures.end(), [&](const PictureCheck& p) { return hasError(p.findings); });
}

std::optional<std::string> triggerFolderFor(device::Files& files, const std::string& path) {
    const std::string folder = withoutTrailingSeparators(path, files.pathSeparator());
    const std::string inside = folder + files.pathSeparator() + device::kCaptureFolderName;
    if (files.directoryExists(inside)) return inside;
    if (files.directoryExists(folder)) return folder;
    return std::nullopt;
}

PackCheck checkPack(device::Files& files, const std::string& folder) {
    PackCheck pack;
    pack.folder = folder;
    const fs::path path = pathOf(folder);
    pack.game = utf8Of(path.parent_path().filename());
    if (utf8Of(path.filename()) != device::kCaptureFolderName) {
        add(pack.findings, Severity::warning, "folder-name",
            "the plug-in only looks in a folder named " + std::string(device::kCaptureFolderName) +
                " inside the game's folder");
    }
    pack.exactColorMatch = device::exactColorMatchSelected(files, folder);
    add(pack.findings, Severity::note, "exact-colour",
        pack.exactColorMatch
            ? std::string("exact colour rule on (") + device::kExactColorMatchFile +
                  " is present): dots compare by the bitwise OR of red, green and blue"
            : std::string("exact colour rule off (no ") + device::kExactColorMatchFile +
                  "): a dot is lit when red + green + blue is more than 200");

    int end = 0;
    std::vector<ReadPicture> read = readPictures(files, pack, end);
    if (end == 1) {
        add(pack.findings, Severity::error, "no-pictures",
            "1.bmp is missing: the plug-in loads no picture and matching stays off");
    }
    addIgnoredFiles(pack, end);
    for (const ReadPicture& picture : read) {
        addPictureFindings(picture.picture, pack.exactColorMatch, pack.pictures[picture.check]);
    }
    // The set as the game start builds it. After a refused picture the
    // plug-in has none; the others are still checked as if it were mended,
    // as long as picture 1, which sizes the live mask, was read.
    if (read.empty() || pack.pictures[read[0].check].number != 1) return pack;
    device::TriggerSet set;
    for (const ReadPicture& picture : read) set.add(picture.picture, pack.exactColorMatch);
    const std::vector<int> outside = set.prepare();
    pack.liveWidth = set.liveMask()->fWidth;
    pack.liveHeight = set.liveMask()->fHeight;
    addSetFindings(set, read, outside, pack);
    return pack;
}

}  // namespace zelk::tools
