#include "device/posix/posix_platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/error.h"
#include "core/ini_file.h"
#include "core/utf8.h"
#include "device/posix/posix_files.h"
#include "device/posix/posix_player.h"

namespace zelk::device {
namespace {

// The settings file is a few lines; anything far larger is not one.
constexpr size_t kMaxSettingsBytes = 1u << 20;

}  // namespace

std::string PosixPlatform::pluginFolder() {
    // An address inside this library names the library's own file, not the
    // host program's.
    Dl_info info{};
    static const int anchor = 0;
    if (dladdr(&anchor, &info) == 0 || info.dli_fname == nullptr) return "./";
    std::string path = info.dli_fname;
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return "./";
    return path.substr(0, slash + 1);
}

std::string PosixPlatform::findMediaRoot() {
    const char* root = std::getenv("ZELK_MEDIA_ROOT");
    if (root == nullptr || *root == '\0') return pluginFolder() + "ZelkVideos/";
    std::string folder = root;
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::unique_ptr<PlayerDisplay> PosixPlatform::createPlayerDisplay() {
    const char* file = std::getenv("ZELK_PLAYER_LOG");
    return std::make_unique<PosixPlayerDisplay>(file != nullptr ? file : "");
}

std::string PosixPlatform::ansiToUtf8(const char* bytes, size_t count) {
    return latin1ToUtf8(std::string_view(bytes, count));
}

std::string PosixPlatform::upperCase(const std::string& text) { return upperCaseLatin1(text); }

LocalTime PosixPlatform::localTime() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::optional<std::string> PosixPlatform::readProfileString(const std::string& file,
                                                            const std::string& section,
                                                            const std::string& key) {
    std::vector<uint8_t> text;
    try {
        text = readWholeFile(file, kMaxSettingsBytes);
    } catch (const Error&) {
        return std::nullopt;  // a missing or unreadable file has no values
    }
    return findProfileValue(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()),
                            section, key);
}

bool PosixPlatform::directoryExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PosixPlatform::fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::vector<uint8_t> PosixPlatform::readFile(const std::string& path, size_t maxBytes) {
    return readWholeFile(path, maxBytes);
}

void PosixPlatform::writeLogLine(const std::string& path, const std::string& line, bool fresh) {
    // Appending never creates the file: a log removed after Open stays gone.
    const int flags = fresh ? (O_WRONLY | O_CREAT | O_TRUNC) : (O_WRONLY | O_APPEND);
    appendToFile(path, line, flags);
}

std::unique_ptr<PreviewWindow> PosixPlatform::createPreviewWindow(FrameBitmapSource) {
    return nullptr;  // no preview window on POSIX; frames are still taken in
}

std::string upperCaseLatin1(const std::string& text) {
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        } else if (c == 0xC3 && i + 1 < out.size()) {
            // U+00E0..U+00FE except U+00F7 (division sign): minus 0x20.
            const auto next = static_cast<unsigned char>(out[i + 1]);
            if (next >= 0xA0 && next <= 0xBE && next != 0xB7) out[i + 1] = static_cast<char>(next - 0x20);
            ++i;
        }
    }
    return out;
}

Platform& hostPlatform() {
    static PosixPlatform platform;
    return platform;
}

}  // namespace zelk::device
