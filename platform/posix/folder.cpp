#include "platform/folder.h"

#include <sys/stat.h>

#include <cerrno>

#include "core/error.h"
#include "platform/path_kind.h"
#include "platform/posix/error_text.h"

namespace zelk::platform {

void createFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) == 0) return;
    const int error = errno;
    if (error == EEXIST && pathKind(path) == PathKind::folder) return;
    throw Error("EInOutError", "Cannot create folder \"" + path + "\". " + errorText(error));
}

}  // namespace zelk::platform
