#pragma once
// The control program's view of the file system, as far as media playback
// needs it: the platform's wildcard search, an existence check and a bounded
// read. Paths are UTF-8 text. Each platform folder implements it; the tests
// also use a recording fake.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::control {

// One entry as the platform's search yields it. The search itself filters
// nothing; FindFiles (media_player.h) skips folders, hidden and system entries.
struct FoundEntry {
    std::string name;       // bare name, no folder
    bool folder = false;
    bool hidden = false;
    bool system = false;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Runs the platform's search with a path whose last part may hold the
    // wildcards "*" and "?" (Windows rules, see wildcard_match.h). Entries come
    // in the order the search yields them; nothing found gives an empty list.
    virtual std::vector<FoundEntry> search(const std::string& pattern) = 0;

    // True when a file exists under the path: a folder does not count, a link
    // counts when it leads to a file.
    virtual bool fileExists(const std::string& path) = 0;

    // The whole file, refused with zelk::Error before anything is read when it
    // is larger than maxBytes or cannot be opened.
    virtual std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) = 0;

    // The characters that end a path's folder part: "\\/:" on Windows, "/" on POSIX.
    virtual std::string_view folderDelimiters() const = 0;
};

// The platform's file system. Windows: its own wildcard search
// (FindFirstFileEx) and attributes. POSIX: readdir with the Windows wildcard
// rules (wildcard_match.h), entries in readdir order; a name starting with "."
// counts as hidden, anything neither file nor folder (device, pipe, socket)
// as system.
std::unique_ptr<FileSystem> makeFileSystem();

}  // namespace zelk::control
