#pragma once
// Test stand-ins for the plug-in's platform: real files in a temporary folder
// (through the POSIX platform), a fixed clock, a recording player display and
// a recording preview window. Pictures and frames are drawn as text art:
// '#' lit white, '.' dark, 'M' the marker colour, 'o' a dim grey (sum 150).
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "core/bmp_writer.h"
#include "core/error.h"
#include "core/utf8.h"
#include "device/posix/posix_platform.h"

namespace zelk::test {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelk-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern + "/";
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
};

class RecordingPreview : public device::PreviewWindow {
public:
    explicit RecordingPreview(std::shared_ptr<PreviewRecord> record) : record_(std::move(record)) {}
    void show() override { record_->calls.push_back("show"); }
    void setOuterSize(int width, int height) override {
        record_->calls.push_back("size " + std::to_string(width) + "x" + std::to_string(height));
    }
    void refresh() override { record_->calls.push_back("refresh"); }

private:
    std::shared_ptr<PreviewRecord> record_;
};

// The plug-in "lives" in folder(); the media root is folder() + "media/".
class FakePlatform : public device::PosixPlatform {
public:
    std::string pluginFolder() override { return dir_.path(); }
    std::string findMediaRoot() override { return dir_.path() + "media/"; }
    std::unique_ptr<device::PlayerDisplay> createPlayerDisplay() override {
        ++player->created;
        return std::make_unique<RecordingPlayer>(player);
    }
    std::string timeSeparator() override { return separator; }
    device::LocalTime localTime() override { return {2026, 3, 7, 14, 5, 9}; }
    std::unique_ptr<device::PreviewWindow> createPreviewWindow(device::FrameBitmapSource source) override {
        ++preview->created;
        preview->source = std::move(source);
        return std::make_unique<RecordingPreview>(preview);
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

    std::string separator = ":";
    std::shared_ptr<PlayerRecord> player = std::make_shared<PlayerRecord>();
    std::shared_ptr<PreviewRecord> preview = std::make_shared<PreviewRecord>();

private:
    TempDir dir_;
};

}  // namespace zelk::test
