// zelkdmd check: the game start's walk over a trigger folder, done with the
// plug-in's own reading, marker search and trigger set, with a finding for
// everything the author may not expect.
#include "tools/zelkdmd/pack_check.h"

#include <algorithm>

#include "device/matching/trigger_pictures.h"
#include "device/matching/trigger_set.h"
#include "tools/zelkdmd/folder_findings.h"
#include "tools/zelkdmd/picture_findings.h"

namespace zelk::tools {
namespace {

std::string sizeText(int32_t width, int32_t height) { return std::to_string(width) + "x" + std::to_string(height); }

// Keeps a root ("/", "C:\\"): without its separator it names another folder.
std::string withoutTrailingSeparators(std::string path, char separator) {
    while (path.size() > 1 && (path.back() == separator || path.back() == '/') && path[path.size() - 2] != ':') {
        path.pop_back();
    }
    return path;
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
            addFinding(check.findings, Severity::error, "refused", "refused: " + reason);
            if (firstRefused == 0) firstRefused = n;
        }
    }
    pack.loaded = firstRefused ? firstRefused - 1 : end - 1;
    pack.matchingOn = pack.loaded > 0 && firstRefused == 0;
    if (firstRefused != 0) {
        addFinding(pack.findings, Severity::error, "start-fails",
                   "the game start stops at " + device::triggerPictureName(firstRefused) +
                       ", which cannot be read: matching stays off for this game");
        for (PictureCheck& check : pack.pictures) {
            if (check.number <= firstRefused) continue;
            addFinding(check.findings, Severity::note, "not-loaded",
                       "not loaded: the game start stopped at " + device::triggerPictureName(firstRefused) +
                           "; checked as if that one were mended");
        }
    }
    return read;
}

void addPictureFindings(const Bitmap24& picture, bool exactColorMatch, PictureCheck& check) {
    // The cut and mask that TriggerSet::add makes of the picture.
    const device::Trigger trigger = device::cutTrigger(picture, exactColorMatch);
    check.region = trigger.region;
    check.wholePicture = !device::FindMarkerBox(picture);
    check.litDots =
        std::count_if(trigger.mask.Frame.begin(), trigger.mask.Frame.end(), [](uint8_t byte) { return byte != 0; });
    if (check.storedDepth != 24) {
        addFinding(check.findings, Severity::note, "converted",
                   "stored with " + std::to_string(check.storedDepth) + " bits per dot, converted to 24 on loading");
    }
    addOutlineFindings(picture, check);
    addNearMarkerFindings(picture, check);
    if (check.litDots == 0) {
        addFinding(check.findings, Severity::warning, "no-lit-dot",
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
            addFinding(check.findings, Severity::warning, "size",
                       sizeText(check.width, check.height) + ", but picture 1, which sets the size compared, is " +
                           sizeText(first.width, first.height));
        }
    }
    for (const int n : outside) {
        addFinding(pack.pictures[read[static_cast<size_t>(n - 1)].check].findings, Severity::error, "outside",
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
            addFinding(
                pack.pictures[read[static_cast<size_t>(b - 1)].check].findings, Severity::warning, "same-as",
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
    addFolderNameFindings(pack);
    pack.exactColorMatch = device::exactColorMatchSelected(files, folder);
    addFinding(pack.findings, Severity::note, "exact-colour",
               pack.exactColorMatch ? std::string("exact colour rule on (") + device::kExactColorMatchFile +
                                          " is present): dots compare by the bitwise OR of red, green and blue"
                                    : std::string("exact colour rule off (no ") + device::kExactColorMatchFile +
                                          "): a dot is lit when red + green + blue is more than 200");

    int end = 0;
    std::vector<ReadPicture> read = readPictures(files, pack, end);
    if (end == 1) {
        addFinding(pack.findings, Severity::error, "no-pictures",
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
