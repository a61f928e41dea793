#pragma once
// The file system of the Windows build: the system's own wildcard search
// (FindFirstFileEx), attributes as the system keeps them, wide paths.
#include "control/file_system.h"

namespace zelk::control {

class Win32FileSystem final : public FileSystem {
public:
    std::vector<FoundEntry> search(const std::string& pattern) override;
    bool fileExists(const std::string& path) override;
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) override;
    std::string_view folderDelimiters() const override { return "\\:"; }
};

}  // namespace zelk::control
