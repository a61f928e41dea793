#pragma once
// The plug-in's files on POSIX: the library's folder from the dynamic loader,
// the platform layer's bounded read, and a UTF-8 log.
#include "device/entry/files.h"

namespace zelk::device {

class PosixFiles : public Files {
public:
    std::string pluginFolder() override;
    char pathSeparator() const override { return '/'; }
    bool directoryExists(const std::string& path) override;
    bool fileExists(const std::string& path) override;
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) override;
    void writeLogLine(const std::string& path, const std::string& line, bool fresh) override;
    void createFolder(const std::string& path) override;
    void writeBytes(const std::string& path, const std::string& bytes, bool fresh) override;
};

}  // namespace zelk::device
