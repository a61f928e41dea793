#include "control/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "control/wildcard_match.h"
#include "core/error.h"

namespace zelk::control {
namespace {

// A name longer than this cannot exist, so a longer pattern finds nothing
// (and the matcher's work stays bounded).
constexpr size_t kMaxNameBytes = 255;

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

struct FdCloser {
    int fd;
    ~FdCloser() { close(fd); }
};

FoundEntry describe(const std::string& folder, const char* name) {
    FoundEntry entry;
    entry.name = name;
    entry.hidden = name[0] == '.';
    const std::string path = folder + name;
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        entry.folder = S_ISDIR(info.st_mode);
        entry.system = !entry.folder && !S_ISREG(info.st_mode);
    }
    // A link leading nowhere is listed like a file, as Windows lists it; the
    // existence check refuses it later.
    return entry;
}

Error fileError(const std::string& path, const std::string& reason) {
    return Error("EFOpenError", "Cannot open file \"" + path + "\". " + reason);
}

// Outside "/" a name may hold any byte, so "\\" and ":" are ordinary characters.
class PosixFileSystem final : public FileSystem {
public:
    std::vector<FoundEntry> search(const std::string& pattern) override;
    bool fileExists(const std::string& path) override;
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) override;
    std::string_view folderDelimiters() const override { return "/"; }
};

std::vector<FoundEntry> PosixFileSystem::search(const std::string& pattern) {
    const size_t slash = pattern.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    const std::string namePattern = pattern.substr(folder.size());
    if (namePattern.empty() || namePattern.size() > kMaxNameBytes) return {};

    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return {};
    std::vector<FoundEntry> found;
    while (const dirent* item = readdir(dir.get())) {
        if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0) continue;
        if (!matchesWildcard(namePattern, item->d_name)) continue;
        found.push_back(describe(folder, item->d_name));
    }
    return found;
}

bool PosixFileSystem::fileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<uint8_t> PosixFileSystem::readFile(const std::string& path, size_t maxBytes) {
    // Non-blocking, so that a pipe under a media name cannot hang the program.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) throw fileError(path, std::strerror(errno));
    const FdCloser closer{fd};
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) throw fileError(path, "Not a file.");
    if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        throw fileError(path, "It has " + std::to_string(info.st_size) + " bytes, more than the " +
                                  std::to_string(maxBytes) + " accepted.");
    }
    std::vector<uint8_t> data(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t got = read(fd, data.data() + done, data.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw fileError(path, std::strerror(errno));
        if (got == 0) break;  // shrank while being read
        done += static_cast<size_t>(got);
    }
    data.resize(done);
    return data;
}

}  // namespace

std::unique_ptr<FileSystem> makeFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace zelk::control
