// A library is read whole through the platform's bounded read and its
// headers parsed by the portable PE reader; the version resource comes from
// the system (doctor_system.h).
#include "tools/zelkdmd/doctor_libraries.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/pe_image.h"
#include "platform/bounded_read.h"
#include "platform/path_kind.h"
#include "tools/zelkdmd/doctor_system.h"
#include "tools/zelkdmd/utf8_path.h"

namespace zelk::tools {
namespace {

namespace fs = std::filesystem;

// Larger than any DMD driver or host library, which run to a few tens of MiB.
constexpr size_t kMaxLibraryBytes = 512u << 20;
// Lacked entry points named in one line; the rest are counted.
constexpr size_t kLackedNamesShown = 2;
// The classic interface: the first eleven entry points.
constexpr size_t kClassicEntries = 11;

// The plug-in's builds are named dmddeviceZelk.dll and dmddeviceZelk64.dll.
bool isPluginIdentity(const LibraryIdentity& identity) {
    return lowerAscii(identity.originalFileName).starts_with("dmddevicezelk");
}

Bitness bitnessOf(const PeImage& image) {
    // An AnyCPU .NET assembly is a PE32 image that loads into either bitness.
    if (image.managed && image.machine == PeMachine::x86) return Bitness::any;
    if (image.machine == PeMachine::x86) return Bitness::bits32;
    if (image.machine == PeMachine::x64) return Bitness::bits64;
    return Bitness::unknown;
}

void readHeaders(LibraryInfo& info) {
    try {
        const std::vector<uint8_t> bytes = platform::readWholeFile(info.path, kMaxLibraryBytes);
        const PeImage image = readPeImage(bytes, info.path);
        info.bitness = bitnessOf(image);
        for (size_t i = 0; i < kDmdEntryCount; ++i) {
            info.entries[i] = std::find(image.exports.begin(), image.exports.end(), kDmdEntryNames[i]) !=
                              image.exports.end();
        }
    } catch (const std::exception& e) {
        info.unreadable = e.what();
        if (info.unreadable.starts_with(info.path + ": ")) info.unreadable.erase(0, info.path.size() + 2);
    }
}

}  // namespace

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return utf8Of(pathOf(folder) / pathOf(name));
}

LibraryInfo inspectLibrary(const std::string& path) {
    LibraryInfo info;
    info.path = path;
    info.exists = platform::pathKind(path) == platform::PathKind::file;
    if (!info.exists) return info;
    readHeaders(info);
    info.identified = systemHasRegistry();
    try {
        if (const std::optional<LibraryIdentity> identity = readLibraryIdentity(path)) {
            info.plugin = isPluginIdentity(*identity);
            info.product = identity->productName;
            info.version = identity->productVersion;
        }
    } catch (...) {
        // No version resource to read: the file is then another driver.
    }
    return info;
}

const char* bitnessText(Bitness bitness) {
    switch (bitness) {
    case Bitness::bits32: return "32-bit";
    case Bitness::bits64: return "64-bit";
    case Bitness::any: return "either bitness (.NET)";
    case Bitness::unknown: break;
    }
    return "of an unknown machine";
}

std::string identityText(const LibraryInfo& info) {
    if (info.plugin) return "the plug-in " + info.product + " " + info.version;
    if (!info.identified) return "a DMD device library";
    if (!info.product.empty()) return "another driver (" + info.product + ")";
    return "another driver (no product name)";
}

std::string entriesText(const LibraryInfo& info) {
    const size_t count = info.entries.count();
    if (count == kDmdEntryCount) return "all " + std::to_string(kDmdEntryCount) + " entry points";
    std::string lacked;
    size_t named = 0;
    bool classic = count == kClassicEntries;
    for (size_t i = 0; i < kDmdEntryCount; ++i) {
        if (info.entries[i]) continue;
        classic = classic && i >= kClassicEntries;
        if (named++ < kLackedNamesShown) lacked += (lacked.empty() ? "" : ", ") + std::string(kDmdEntryNames[i]);
    }
    if (classic) return "the " + std::to_string(kClassicEntries) + " classic entry points";
    if (named > kLackedNamesShown) lacked += " and " + std::to_string(named - kLackedNamesShown) + " more";
    return std::to_string(count) + " of " + std::to_string(kDmdEntryCount) + " entry points (lacks " + lacked + ")";
}

std::string lackedEntries(const LibraryInfo& info, std::span<const DmdEntry> required) {
    std::string text;
    for (const DmdEntry entry : required) {
        if (!info.has(entry)) text += (text.empty() ? "" : ", ") + std::string(dmdEntryName(entry));
    }
    return text;
}

std::optional<std::string> fileInFolder(const std::string& folder, const std::string& name) {
    std::error_code error;
    const std::string wanted = lowerAscii(name);
    for (fs::directory_iterator it(pathOf(folder), error), end; !error && it != end; it.increment(error)) {
        if (lowerAscii(utf8Of(it->path().filename())) == wanted) return utf8Of(it->path());
    }
    return std::nullopt;
}

std::vector<std::string> librariesInFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(pathOf(folder), error), end; !error && it != end; it.increment(error)) {
        const std::string name = utf8Of(it->path().filename());
        if (lowerAscii(name).ends_with(".dll") && !it->is_directory(error)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zelk::tools
