#pragma once
// The plug-in's view of its operating system: one small interface per
// service, with a POSIX and a Win32 implementation chosen by the build, and
// recording fakes in the tests. Text crosses these interfaces as UTF-8.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/bitmap24.h"

namespace zelk::device {

// The media player's display object (TPinDisplay). Connects lazily at every
// call while unconnected; every failure throws zelk::Error whose className()
// and what() end up in the log.
class PlayerDisplay {
public:
    virtual ~PlayerDisplay() = default;
    virtual void B2SInit(const std::u16string& tName, const std::u16string& romName) = 0;
    virtual void B2SData(const std::u16string& tIndex, int32_t value) = 0;
};

// The borderless preview window (TzelkDMDForm). Paints whatever the
// frame-bitmap source returns (nothing while it returns null).
class PreviewWindow {
public:
    virtual ~PreviewWindow() = default;
    virtual void show() = 0;                        // visible and to the front
    virtual void setOuterSize(int width, int height) = 0;
    virtual void refresh() = 0;                     // repaint now, before returning
};

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

using FrameBitmapSource = std::function<const Bitmap24*()>;

class Platform {
public:
    virtual ~Platform() = default;

    // Folder of the plug-in's own library file, with a trailing separator.
    virtual std::string pluginFolder() = 0;
    virtual char pathSeparator() const = 0;

    // Player link.
    virtual std::string findMediaRoot() = 0;
    virtual std::unique_ptr<PlayerDisplay> createPlayerDisplay() = 0;

    // Text: the host's ANSI game-name bytes to UTF-8, and the locale's upper case.
    virtual std::string ansiToUtf8(const char* bytes, size_t count) = 0;
    virtual std::string upperCase(const std::string& text) = 0;

    // The user's time separator for the log's time stamp, and the local time.
    virtual std::string timeSeparator() = 0;
    virtual LocalTime localTime() = 0;

    // One value of a profile (INI) file, as text; nullopt when the file,
    // section or key is missing. Section and key match without regard to case.
    virtual std::optional<std::string> readProfileString(const std::string& file,
                                                         const std::string& section,
                                                         const std::string& key) = 0;

    // Files.
    virtual bool directoryExists(const std::string& path) = 0;
    virtual bool fileExists(const std::string& path) = 0;
    // Whole file; throws zelk::Error naming the file when it cannot be read or
    // is larger than maxBytes.
    virtual std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) = 0;
    // Writes one log line (already terminated by CR LF) in the platform's
    // 8-bit log encoding. fresh: create or truncate; otherwise append to an
    // existing file, never creating it. Throws zelk::Error on any failure.
    virtual void writeLogLine(const std::string& path, const std::string& line, bool fresh) = 0;

    // Preview window; may return null where the platform has none (POSIX).
    virtual std::unique_ptr<PreviewWindow> createPreviewWindow(FrameBitmapSource source) = 0;
};

// The platform the shared library runs on (defined in posix/ or win32/).
Platform& hostPlatform();

}  // namespace zelk::device
