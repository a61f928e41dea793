#pragma once
// The plug-in's platform on Windows: wide-character system calls behind the
// UTF-8 seam of device/platform.h.
#include "device/platform.h"

namespace zelk::device::win32 {

class Win32Platform : public Platform {
public:
    std::string pluginFolder() override;
    char pathSeparator() const override { return '\\'; }

    std::string findMediaRoot() override;
    std::unique_ptr<PlayerDisplay> createPlayerDisplay() override;

    std::string ansiToUtf8(const char* bytes, size_t count) override;
    std::string upperCase(const std::string& text) override;

    std::string timeSeparator() override;
    LocalTime localTime() override;

    std::optional<std::string> readProfileString(const std::string& file, const std::string& section,
                                                 const std::string& key) override;

    bool directoryExists(const std::string& path) override;
    bool fileExists(const std::string& path) override;
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) override;
    void writeLogLine(const std::string& path, const std::string& line, bool fresh) override;

    std::unique_ptr<PreviewWindow> createPreviewWindow(FrameBitmapSource source) override;
};

}  // namespace zelk::device::win32
