#include "platform/folder.h"

#include <windows.h>

#include "core/error.h"
#include "platform/path_kind.h"
#include "platform/win32/error_text.h"
#include "platform/win32/text.h"

namespace zelk::platform {

void createFolder(const std::string& path) {
    if (CreateDirectoryW(utf8ToWide(path).c_str(), nullptr)) return;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && pathKind(path) == PathKind::folder) return;
    throw Error("EInOutError", "Cannot create folder \"" + path + "\". " + errorText(error));
}

}  // namespace zelk::platform
