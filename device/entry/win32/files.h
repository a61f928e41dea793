#pragma once
// The plug-in's files on Windows: the library's folder from its module, the
// platform layer's bounded read, and a log in the ANSI code page.
#include "device/entry/files.h"

namespace zelk::device {

class Win32Files : public Files {
public:
    std::string pluginFolder() override;
    char pathSeparator() const override { return '\\'; }
    bool directoryExists(const std::string& path) override;
    bool fileExists(const std::string& path) override;
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) override;
    void writeLogLine(const std::string& path, const std::string& line, bool fresh) override;
    void createFolder(const std::string& path) override;
    void writeBytes(const std::string& path, const std::string& bytes, bool fresh) override;
};

}  // namespace zelk::device
