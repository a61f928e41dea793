#include "control/file_system.h"

#include <windows.h>

#include <string>

#include "control/win32/wide_path.h"
#include "core/error.h"

namespace zelk::control {
namespace {

struct FindCloser {
    HANDLE handle;
    ~FindCloser() { FindClose(handle); }
};

struct HandleCloser {
    HANDLE handle;
    ~HandleCloser() { CloseHandle(handle); }
};

Error fileError(const std::string& path, const std::string& reason) {
    return Error("EFOpenError", "Cannot open file \"" + path + "\". " + reason);
}

std::string lastErrorText() {
    return "System error " + std::to_string(GetLastError()) + ".";
}

// A link (reparse point) reports its own attributes; open it to learn
// whether what it leads to is a file.
bool linkLeadsToFile(const std::wstring& path) {
    HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const HandleCloser closer{handle};
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(handle, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Windows takes "/" as well as "\\" between folders, and "C:name" is a name in
// the current folder of drive C.
class Win32FileSystem final : public FileSystem {
public:
    std::vector<FoundEntry> search(const std::string& pattern) override;
    bool fileExists(const std::string& path) override;
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) override;
    std::string_view folderDelimiters() const override { return "\\/:"; }
};

std::vector<FoundEntry> Win32FileSystem::search(const std::string& pattern) {
    std::wstring widePattern;
    try {
        widePattern = toWidePath(pattern);
    } catch (const Error&) {
        return {};
    }
    if (widePattern.empty()) return {};
    WIN32_FIND_DATAW data{};
    HANDLE handle = FindFirstFileExW(widePattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, 0);
    if (handle == INVALID_HANDLE_VALUE) return {};
    const FindCloser closer{handle};
    std::vector<FoundEntry> found;
    do {
        FoundEntry entry;
        entry.name = fromWideName(data.cFileName);
        entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
        entry.system = (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
        if (!entry.name.empty()) found.push_back(std::move(entry));
    } while (FindNextFileW(handle, &data));
    return found;
}

bool Win32FileSystem::fileExists(const std::string& path) {
    std::wstring wide;
    try {
        wide = toWidePath(path);
    } catch (const Error&) {
        return false;
    }
    if (wide.empty()) return false;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return linkLeadsToFile(wide);
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<uint8_t> Win32FileSystem::readFile(const std::string& path, size_t maxBytes) {
    const std::wstring wide = toWidePath(path);
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) throw fileError(path, lastErrorText());
    const HandleCloser closer{handle};
    if (GetFileType(handle) != FILE_TYPE_DISK) throw fileError(path, "Not a file.");
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) throw fileError(path, lastErrorText());
    if (static_cast<uint64_t>(size.QuadPart) > maxBytes) {
        throw fileError(path, "It has " + std::to_string(size.QuadPart) + " bytes, more than the " +
                                  std::to_string(maxBytes) + " accepted.");
    }
    std::vector<uint8_t> data(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < data.size()) {
        const size_t left = data.size() - done;
        const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!ReadFile(handle, data.data() + done, chunk, &got, nullptr)) throw fileError(path, lastErrorText());
        if (got == 0) break;  // shrank while being read
        done += got;
    }
    data.resize(done);
    return data;
}

}  // namespace

std::unique_ptr<FileSystem> makeFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace zelk::control
