#include "platform/bounded_read.h"

#include <windows.h>

#include <algorithm>

#include "core/error.h"
#include "platform/win32/error_text.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace zelk::platform {
namespace {

[[noreturn]] void refuse(const std::string& path, const std::string& reason) {
    throw Error("EFOpenError", "Cannot open file \"" + path + "\". " + reason);
}

}  // namespace

std::vector<uint8_t> readWholeFile(const std::string& path, size_t maxBytes) {
    const std::wstring wide = utf8ToWide(path);
    // Opening a folder fails with a bare "access denied": say what it is.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        refuse(path, "It is a folder, not a file.");
    }
    FileHandle file(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) refuse(path, errorText(GetLastError()));
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        refuse(path, "It is not a regular file (a pipe, device or socket).");
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) refuse(path, errorText(GetLastError()));
    if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        refuse(path, "It has " + std::to_string(size.QuadPart) + " bytes, more than the " +
                         std::to_string(maxBytes) + " accepted.");
    }
    std::vector<uint8_t> data(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file.get(), data.data() + done, chunk, &got, nullptr)) {
            throw Error("EReadError", "Cannot read file \"" + path + "\". " + errorText(GetLastError()));
        }
        if (got == 0) break;  // shrank while being read: keep what was there
        done += got;
    }
    data.resize(done);
    return data;
}

}  // namespace zelk::platform
