#include "platform/path_kind.h"

#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace zelk::platform {
namespace {

// A link (reparse point) reports its own attributes; open it to learn what
// it leads to.
PathKind linkTarget(const std::wstring& path) {
    FileHandle target(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!target.valid()) return PathKind::missing;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(target.get(), &info)) return PathKind::other;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::folder : PathKind::file;
}

}  // namespace

PathKind pathKind(const std::string& path) {
    if (path.empty()) return PathKind::missing;
    const std::wstring wide = utf8ToWide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::missing;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return linkTarget(wide);
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return PathKind::other;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::folder : PathKind::file;
}

}  // namespace zelk::platform
