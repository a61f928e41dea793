#include "device/entry/win32/files.h"

#include "device/entry/win32/library_module.h"
#include "platform/bounded_read.h"
#include "platform/file_write.h"
#include "platform/folder.h"
#include "platform/path_kind.h"
#include "platform/win32/text.h"

namespace zelk::device {

using platform::PathKind;

std::string Win32Files::pluginFolder() {
    std::string path = thisModulePath();
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool Win32Files::directoryExists(const std::string& path) {
    return platform::pathKind(path) == PathKind::folder;
}

bool Win32Files::fileExists(const std::string& path) {
    const PathKind kind = platform::pathKind(path);
    return kind == PathKind::file || kind == PathKind::other;
}

std::vector<uint8_t> Win32Files::readFile(const std::string& path, size_t maxBytes) {
    return platform::readWholeFile(path, maxBytes);
}

void Win32Files::writeLogLine(const std::string& path, const std::string& line, bool fresh) {
    // Appending opens the existing file only: a log removed since Open is a
    // failure, never silently re-created.
    platform::writeToFile(path, platform::utf8ToAnsi(line),
                          fresh ? platform::WriteMode::createOrTruncate : platform::WriteMode::appendExisting);
}

void Win32Files::createFolder(const std::string& path) { platform::createFolder(path); }

void Win32Files::writeBytes(const std::string& path, const std::string& bytes, bool fresh) {
    platform::writeToFile(path, bytes,
                          fresh ? platform::WriteMode::createOrTruncate : platform::WriteMode::appendExisting);
}

}  // namespace zelk::device
