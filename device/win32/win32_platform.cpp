#include "device/win32/win32_platform.h"

#include <windows.h>

#include "core/error.h"
#include "device/win32/library_module.h"
#include "device/win32/player_link_win.h"
#include "device/win32/preview_window_win.h"
#include "device/win32/wide_text.h"

namespace zelk::device {

Platform& hostPlatform() {
    static win32::Win32Platform platform;
    return platform;
}

}  // namespace zelk::device

namespace zelk::device::win32 {
namespace {

// Closes a file handle on every path out of a function.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

[[noreturn]] void throwFileError(const char* className, const char* what, const std::string& path,
                                 DWORD code) {
    throw Error(className, std::string(what) + " \"" + path + "\". " + systemMessage(code));
}

// A value that no profile file holds, so that a missing key can be told
// apart from an empty value.
constexpr wchar_t missingValue[] = L"\x01zelk-missing\x01";

}  // namespace

std::string Win32Platform::pluginFolder() {
    std::string path = thisModulePath();
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string Win32Platform::findMediaRoot() { return FindMediaRoot(); }

std::unique_ptr<PlayerDisplay> Win32Platform::createPlayerDisplay() { return makePinDisplay(); }

std::string Win32Platform::ansiToUtf8(const char* bytes, size_t count) {
    return wideToUtf8(ansiToWide(bytes, count));
}

std::string Win32Platform::upperCase(const std::string& text) {
    std::wstring wide = utf8ToWide(text);
    if (wide.empty()) return text;
    // CharUpperBuffW maps one UTF-16 unit to one, by the user's locale.
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return wideToUtf8(wide);
}

std::string Win32Platform::timeSeparator() {
    wchar_t buffer[8] = {};
    int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, buffer, 8);
    if (length <= 1) return ":";
    return wideToUtf8(buffer, static_cast<size_t>(length - 1));
}

LocalTime Win32Platform::localTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::optional<std::string> Win32Platform::readProfileString(const std::string& file,
                                                            const std::string& section,
                                                            const std::string& key) {
    std::wstring wideFile = utf8ToWide(file);
    std::wstring wideSection = utf8ToWide(section);
    std::wstring wideKey = utf8ToWide(key);
    // The profile API truncates silently: grow the buffer while the value
    // fills it, up to the API's own limit of 32767 characters.
    std::wstring buffer(256, L'\0');
    for (;;) {
        DWORD length = GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), missingValue,
                                                buffer.data(), static_cast<DWORD>(buffer.size()),
                                                wideFile.c_str());
        if (length + 1 < buffer.size() || buffer.size() >= 32768) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    if (buffer == missingValue) return std::nullopt;
    return wideToUtf8(buffer);
}

bool Win32Platform::directoryExists(const std::string& path) {
    DWORD attributes = GetFileAttributesW(utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Platform::fileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesW(utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<uint8_t> Win32Platform::readFile(const std::string& path, size_t maxBytes) {
    FileHandle file(CreateFileW(utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) throwFileError("EFOpenError", "Cannot open file", path, GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) throwFileError("EReadError", "Cannot read file", path, GetLastError());
    if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        throw Error("EReadError", "File \"" + path + "\" is larger than " + std::to_string(maxBytes) + " bytes");
    }
    std::vector<uint8_t> data(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < data.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
        DWORD read = 0;
        if (!ReadFile(file.get(), data.data() + done, chunk, &read, nullptr)) {
            throwFileError("EReadError", "Cannot read file", path, GetLastError());
        }
        if (read == 0) break;  // the file shrank while we read it
        done += read;
    }
    data.resize(done);
    return data;
}

void Win32Platform::writeLogLine(const std::string& path, const std::string& line, bool fresh) {
    std::string bytes = wideToAnsi(utf8ToWide(line));
    // Appending opens the existing file only: a log removed since Open is a
    // failure, never silently re-created.
    FileHandle file(CreateFileW(utf8ToWide(path).c_str(), fresh ? GENERIC_WRITE : FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                fresh ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        throwFileError(fresh ? "EFCreateError" : "EFOpenError",
                       fresh ? "Cannot create file" : "Cannot open file", path, GetLastError());
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        throwFileError("EWriteError", "Cannot write file", path, GetLastError());
    }
}

std::unique_ptr<PreviewWindow> Win32Platform::createPreviewWindow(FrameBitmapSource source) {
    return std::make_unique<TzelkDMDForm>(std::move(source));
}

}  // namespace zelk::device::win32
