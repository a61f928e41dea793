#pragma once
// What both systems' file systems share: the existence check and the read go
// through the platform layer (links followed; only regular files count and
// are read, never blocking on a pipe). Each system adds its search and its
// folder delimiters.
#include "control/media/file_system.h"
#include "platform/bounded_read.h"
#include "platform/path_kind.h"

namespace zelk::control {

class SystemFileSystem : public FileSystem {
public:
    bool fileExists(const std::string& path) override {
        return platform::pathKind(path) == platform::PathKind::file;
    }
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) override {
        return platform::readWholeFile(path, maxBytes);
    }
};

}  // namespace zelk::control
