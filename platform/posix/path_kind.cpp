#include "platform/path_kind.h"

#include <sys/stat.h>

namespace zelk::platform {

PathKind pathKind(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return PathKind::missing;
    if (S_ISREG(info.st_mode)) return PathKind::file;
    if (S_ISDIR(info.st_mode)) return PathKind::folder;
    return PathKind::other;
}

}  // namespace zelk::platform
