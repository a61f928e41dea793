#pragma once
// Test stand-ins for the plug-in's services, one per service and none of them
// the real system's: files in a temporary folder (plain standard C++, so the
// tests run on any system), a fixed clock, a recording player display and a
// recording preview window. Pictures and frames are drawn as text art:
// '#' lit white, '.' dark, 'M' the marker colour, 'o' a dim grey (sum 150).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/ini_file.h"
#include "core/utf8.h"
#include "device/entry/platform.h"

namespace zelk::test {

class TempDir {
public:
    TempDir() {
        std::random_device random;
        for (;;) {
            const auto folder = std::filesystem::temp_directory_path() / ("zelk-" + std::to_string(random()));
            if (std::filesystem::create_directory(folder)) {
                path_ = folder.generic_string() + "/";
                return;
            }
        }
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }  // ends with '/'

private:
    std::string path_;
};

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The messages of a log file, time stamps cut off (each line checked for it).
inline std::vector<std::string> logMessages(const std::string& text, size_t stampLength = 18) {
    std::vector<std::string> messages;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find("\r\n", at);
        const std::string line = text.substr(at, end == std::string::npos ? end : end - at);
        messages.push_back(line.size() >= stampLength ? line.substr(stampLength) : "<short>" + line);
        if (end == std::string::npos) break;
        at = end + 2;
    }
    return messages;
}

// Colour of one art character, as red, green, blue.
inline void artColour(char c, uint8_t rgb[3]) {
    switch (c) {
        case '#': rgb[0] = rgb[1] = rgb[2] = 255; break;
        case 'M': rgb[0] = 253; rgb[1] = 0; rgb[2] = 253; break;
        case 'o': rgb[0] = rgb[1] = rgb[2] = 50; break;
        default: rgb[0] = rgb[1] = rgb[2] = 0; break;
    }
}

inline Bitmap24 pictureFromArt(const std::vector<std::string>& art) {
    Bitmap24 picture(static_cast<int32_t>(art.empty() ? 0 : art[0].size()),
                     static_cast<int32_t>(art.size()));
    for (int32_t y = 0; y < picture.height; ++y) {
        for (int32_t x = 0; x < picture.width; ++x) {
            uint8_t rgb[3];
            artColour(art[y][x], rgb);
            uint8_t* pixel = picture.row(y) + x * 3;
            pixel[0] = rgb[2];
            pixel[1] = rgb[1];
            pixel[2] = rgb[0];
        }
    }
    return picture;
}

// An RGB24 frame as the host hands it over.
inline std::vector<uint8_t> frameFromArt(const std::vector<std::string>& art) {
    std::vector<uint8_t> frame;
    for (const std::string& row : art) {
        for (const char c : row) {
            uint8_t rgb[3];
            artColour(c, rgb);
            frame.insert(frame.end(), rgb, rgb + 3);
        }
    }
    return frame;
}

struct PlayerRecord {
    std::vector<std::string> calls;  // "B2SInit <rom>", "B2SData <text> <value>"
    bool failing = false;
    int created = 0;
};

class RecordingPlayer : public device::PlayerDisplay {
public:
    explicit RecordingPlayer(std::shared_ptr<PlayerRecord> record) : record_(std::move(record)) {}
    void B2SInit(const std::u16string&, const std::u16string& romName) override {
        if (record_->failing) throw Error("EOleSysError", "player not reachable");
        record_->calls.push_back("B2SInit " + utf16ToUtf8(romName));
    }
    void B2SData(const std::u16string& tIndex, int32_t value) override {
        if (record_->failing) throw Error("EOleSysError", "player not reachable");
        record_->calls.push_back("B2SData " + utf16ToUtf8(tIndex) + " " + std::to_string(value));
    }

private:
    std::shared_ptr<PlayerRecord> record_;
};

struct PreviewRecord {
    int created = 0;
    std::vector<std::string> calls;  // "show", "size WxH", "refresh"
    device::FrameBitmapSource source;
    device::DragEndSink dragEnded;
    device::PreviewLook look;        // as the last show got it
};

class RecordingPreview : public device::PreviewWindow {
public:
    explicit RecordingPreview(std::shared_ptr<PreviewRecord> record) : record_(std::move(record)) {}
    void show(const device::PreviewLook& look) override {
        record_->calls.push_back("show");
        record_->look = look;
    }
    void fitToFrame(int width, int height) override {
        record_->calls.push_back("size " + std::to_string(width) + "x" + std::to_string(height));
    }
    void refresh() override { record_->calls.push_back("refresh"); }

private:
    std::shared_ptr<PreviewRecord> record_;
};

// Files in a temporary folder, by the rules the plug-in relies on: reads
// bounded, the log created only when fresh.
class FakeFiles : public device::Files {
public:
    explicit FakeFiles(std::string folder) : folder_(std::move(folder)) {}
    std::string pluginFolder() override { return folder_; }
    char pathSeparator() const override { return '/'; }
    bool directoryExists(const std::string& path) override { return std::filesystem::is_directory(path); }
    bool fileExists(const std::string& path) override {
        return std::filesystem::exists(path) && !std::filesystem::is_directory(path);
    }
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) override {
        std::error_code error;
        const auto size = std::filesystem::file_size(path, error);
        if (error || size > maxBytes) throw Error("EFOpenError", "Cannot open file \"" + path + "\".");
        const std::string text = readText(path);
        return std::vector<uint8_t>(text.begin(), text.end());
    }
    void writeLogLine(const std::string& path, const std::string& line, bool fresh) override {
        if (!fresh && !std::filesystem::exists(path)) throw Error("EFOpenError", "Cannot open file \"" + path + "\".");
        std::ofstream out(path, fresh ? std::ios::binary | std::ios::trunc : std::ios::binary | std::ios::app);
        out << line;
        if (!out.flush()) throw Error("EWriteError", "Cannot write file \"" + path + "\".");
    }
    void createFolder(const std::string& path) override {
        std::error_code error;
        std::filesystem::create_directory(path, error);
        if (!std::filesystem::is_directory(path)) throw Error("EInOutError", "Cannot create folder \"" + path + "\".");
    }
    void writeBytes(const std::string& path, const std::string& bytes, bool fresh) override {
        ++bytesWrites;
        if (failWrites || (!fresh && !std::filesystem::exists(path))) {
            throw Error("EWriteError", "Cannot write file \"" + path + "\".");
        }
        std::ofstream out(path, fresh ? std::ios::binary | std::ios::trunc : std::ios::binary | std::ios::app);
        out << bytes;
        if (!out.flush()) throw Error("EWriteError", "Cannot write file \"" + path + "\".");
    }

    int bytesWrites = 0;       // calls of writeBytes, for the recorder's buffering
    bool failWrites = false;   // a disk that fills up

private:
    std::string folder_;
};

class FakeClockAndText : public device::ClockAndText {
public:
    // Latin-1 names; upper case for ASCII only, which is all the driver needs.
    std::string ansiToUtf8(const char* bytes, size_t count) override {
        return latin1ToUtf8(std::string_view(bytes, count));
    }
    std::string upperCase(const std::string& text) override {
        std::string out = text;
        for (char& c : out) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        return out;
    }
    std::string timeSeparator() override { return separator; }
    device::LocalTime localTime() override { return {2026, 3, 7, 14, 5, 9}; }

    std::string separator = ":";
};

class FakeSettings : public device::Settings {
public:
    std::optional<std::string> readProfileString(const std::string& file, const std::string& section,
                                                 const std::string& key) override {
        if (!std::filesystem::is_regular_file(file)) return std::nullopt;
        return findProfileValue(readText(file), section, key);
    }
    // Only the preview writes, after a drag: checked with the real window under Wine.
    void writeProfileString(const std::string&, const std::string&, const std::string&,
                            const std::string&) override {}
};

class FakePlayerLink : public device::PlayerLink {
public:
    explicit FakePlayerLink(std::string mediaRoot) : mediaRoot_(std::move(mediaRoot)) {}
    std::string findMediaRoot() override { return mediaRoot_; }
    std::unique_ptr<device::PlayerDisplay> createPlayerDisplay() override {
        ++record->created;
        return std::make_unique<RecordingPlayer>(record);
    }

    std::shared_ptr<PlayerRecord> record = std::make_shared<PlayerRecord>();

private:
    std::string mediaRoot_;
};

class FakePreviewWindows : public device::PreviewWindows {
public:
    std::unique_ptr<device::PreviewWindow> create(device::FrameBitmapSource source,
                                                  device::DragEndSink dragEnded) override {
        ++record->created;
        record->source = std::move(source);
        record->dragEnded = std::move(dragEnded);
        return std::make_unique<RecordingPreview>(record);
    }

    std::shared_ptr<PreviewRecord> record = std::make_shared<PreviewRecord>();
};

// The plug-in "lives" in folder(); the media root is folder() + "media/".
// Converts to the service bundle the driver and the capture set take.
class FakePlatform {
public:
    operator device::Platform() {
        return {files_, clockAndText_, settings_, playerLink_, previewWindows_};
    }

    const std::string& folder() const { return dir_.path(); }
    std::string logPath() const { return dir_.path() + "ZELKLOG.txt"; }
    std::vector<std::string> log() const { return logMessages(readText(logPath())); }
    void writeSettings(const std::string& text) {
        std::ofstream(dir_.path() + "dmddevicezelk.ini") << text;
    }
    std::string gameFolder(const std::string& game) const {
        return dir_.path() + "media/" + game + "/ZelkCapture/";
    }
    void addTrigger(const std::string& game, int n, const Bitmap24& picture) {
        writeBytes(gameFolder(game) + std::to_string(n) + ".bmp", writeBmp24(picture));
    }

private:
    TempDir dir_;
    FakeFiles files_{dir_.path()};
    FakeClockAndText clockAndText_;
    FakeSettings settings_;
    FakePlayerLink playerLink_{dir_.path() + "media/"};
    FakePreviewWindows previewWindows_;

public:
    std::string& separator = clockAndText_.separator;
    FakeFiles& files = files_;
    std::shared_ptr<PlayerRecord>& player = playerLink_.record;
    std::shared_ptr<PreviewRecord>& preview = previewWindows_.record;
};

}  // namespace zelk::test
