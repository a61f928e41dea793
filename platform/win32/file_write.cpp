#include "platform/file_write.h"

#include <windows.h>

#include <algorithm>

#include "core/error.h"
#include "platform/win32/error_text.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace zelk::platform {
namespace {

[[noreturn]] void fail(const char* className, const char* what, const std::string& path, DWORD code) {
    throw Error(className, std::string(what) + " \"" + path + "\". " + errorText(code));
}

DWORD disposition(WriteMode mode) {
    switch (mode) {
        case WriteMode::createOrTruncate: return CREATE_ALWAYS;
        case WriteMode::createNew: return CREATE_NEW;
        case WriteMode::appendExisting: return OPEN_EXISTING;
        case WriteMode::appendOrCreate: return OPEN_ALWAYS;
    }
    return OPEN_EXISTING;
}

}  // namespace

void writeToFile(const std::string& path, const std::string& bytes, WriteMode mode) {
    const bool fresh = mode == WriteMode::createOrTruncate || mode == WriteMode::createNew;
    FileHandle file(CreateFileW(utf8ToWide(path).c_str(), fresh ? GENERIC_WRITE : FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition(mode),
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        if (fresh) fail("EFCreateError", "Cannot create file", path, GetLastError());
        fail("EFOpenError", "Cannot open file", path, GetLastError());
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            fail("EWriteError", "Cannot write file", path, GetLastError());
        }
        done += written;
    }
}

}  // namespace zelk::platform
