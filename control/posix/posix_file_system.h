#pragma once
// The file system of the POSIX build. The search reads the folder with
// readdir and matches names by the Windows wildcard rules, so media
// resolution finds the same files it finds on Windows. Entries come in
// readdir order, which is the file system's own and not sorted: like the
// Windows search, "the first match" is whichever the folder yields first.
// POSIX has no hidden or system attributes; a name starting with "." counts
// as hidden, and anything that is neither a file nor a folder (device, pipe,
// socket) as system.
#include "control/file_system.h"

namespace zelk::control {

class PosixFileSystem final : public FileSystem {
public:
    std::vector<FoundEntry> search(const std::string& pattern) override;
    bool fileExists(const std::string& path) override;
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) override;
    std::string_view folderDelimiters() const override { return "/"; }
};

}  // namespace zelk::control
