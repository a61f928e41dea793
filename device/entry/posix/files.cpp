#include "device/entry/posix/files.h"

#include <dlfcn.h>

#include "platform/bounded_read.h"
#include "platform/file_write.h"
#include "platform/folder.h"
#include "platform/path_kind.h"

namespace zelk::device {

using platform::PathKind;

std::string PosixFiles::pluginFolder() {
    // An address inside this library names the library's own file, not the
    // host program's.
    Dl_info info{};
    static const int anchor = 0;
    if (dladdr(&anchor, &info) == 0 || info.dli_fname == nullptr) return "./";
    std::string path = info.dli_fname;
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return "./";
    return path.substr(0, slash + 1);
}

bool PosixFiles::directoryExists(const std::string& path) {
    return platform::pathKind(path) == PathKind::folder;
}

bool PosixFiles::fileExists(const std::string& path) {
    const PathKind kind = platform::pathKind(path);
    return kind == PathKind::file || kind == PathKind::other;
}

std::vector<uint8_t> PosixFiles::readFile(const std::string& path, size_t maxBytes) {
    return platform::readWholeFile(path, maxBytes);
}

void PosixFiles::writeLogLine(const std::string& path, const std::string& line, bool fresh) {
    // Appending never creates the file: a log removed after Open stays gone.
    platform::writeToFile(path, line,
                          fresh ? platform::WriteMode::createOrTruncate : platform::WriteMode::appendExisting);
}

void PosixFiles::createFolder(const std::string& path) { platform::createFolder(path); }

void PosixFiles::writeBytes(const std::string& path, const std::string& bytes, bool fresh) {
    platform::writeToFile(path, bytes,
                          fresh ? platform::WriteMode::createOrTruncate : platform::WriteMode::appendExisting);
}

}  // namespace zelk::device
