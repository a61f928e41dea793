// readdir with the Windows wildcard rules, so media resolution finds the same
// files it finds on Windows. Entries come in readdir order, which is the file
// system's own and not sorted: like the Windows search, "the first match" is
// whichever the folder yields first.
#include <dirent.h>

#include <cstring>

#include "control/media/system_file_system.h"
#include "control/media/wildcard_match.h"
#include "platform/posix/directory_stream.h"
#include "platform/path_kind.h"

namespace zelk::control {
namespace {

// A name longer than this cannot exist, so a longer pattern finds nothing
// (and the matcher's work stays bounded).
constexpr size_t kMaxNameBytes = 255;

// POSIX has no hidden or system attributes: a name starting with "." counts
// as hidden, anything that is neither a file nor a folder (device, pipe,
// socket) as system. A link leading nowhere is listed like a file, as Windows
// lists it; the existence check refuses it later.
FoundEntry describe(const std::string& folder, const char* name) {
    FoundEntry entry;
    entry.name = name;
    entry.hidden = name[0] == '.';
    const platform::PathKind kind = platform::pathKind(folder + name);
    entry.folder = kind == platform::PathKind::folder;
    entry.system = kind == platform::PathKind::other;
    return entry;
}

// Outside "/" a name may hold any byte, so "\\" and ":" are ordinary characters.
class PosixFileSystem final : public SystemFileSystem {
public:
    std::vector<FoundEntry> search(const std::string& pattern) override;
    std::string_view folderDelimiters() const override { return "/"; }
};

std::vector<FoundEntry> PosixFileSystem::search(const std::string& pattern) {
    const size_t slash = pattern.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    const std::string namePattern = pattern.substr(folder.size());
    if (namePattern.empty() || namePattern.size() > kMaxNameBytes) return {};

    const platform::DirectoryStream dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return {};
    std::vector<FoundEntry> found;
    while (const dirent* item = readdir(dir.get())) {
        if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0) continue;
        if (!matchesWildcard(namePattern, item->d_name)) continue;
        found.push_back(describe(folder, item->d_name));
    }
    return found;
}

}  // namespace

std::unique_ptr<FileSystem> makeFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace zelk::control
