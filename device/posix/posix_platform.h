#pragma once
// The plug-in on Linux and other POSIX systems. There is no player and no
// preview window here:
//  - the media root is $ZELK_MEDIA_ROOT when set and not empty, else
//    "<plugin folder>ZelkVideos/";
//  - the player display appends "B2SInit <rom name>" and "B2SData D<n> 1"
//    lines to the file named by $ZELK_PLAYER_LOG, or writes them to standard
//    error when that variable is unset or empty;
//  - the host's 8-bit game names are read as Latin-1, and the log is UTF-8.
// The zelkdmd tool derives from this class to give the plug-in's code its own
// media root and player.
#include "device/platform.h"

namespace zelk::device {

class PosixPlatform : public Platform {
public:
    std::string pluginFolder() override;
    char pathSeparator() const override { return '/'; }

    std::string findMediaRoot() override;
    std::unique_ptr<PlayerDisplay> createPlayerDisplay() override;

    std::string ansiToUtf8(const char* bytes, size_t count) override;
    std::string upperCase(const std::string& text) override;

    std::string timeSeparator() override { return ":"; }
    LocalTime localTime() override;

    std::optional<std::string> readProfileString(const std::string& file, const std::string& section,
                                                 const std::string& key) override;

    bool directoryExists(const std::string& path) override;
    bool fileExists(const std::string& path) override;
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) override;
    void writeLogLine(const std::string& path, const std::string& line, bool fresh) override;

    std::unique_ptr<PreviewWindow> createPreviewWindow(FrameBitmapSource source) override;
};

// Upper case of UTF-8 text: ASCII and the Latin-1 letters; everything else
// (including broken sequences) stays as it is.
std::string upperCaseLatin1(const std::string& text);

}  // namespace zelk::device
