#pragma once
// Scoped owner of an open folder listing (opendir/readdir).
#include <dirent.h>

#include <memory>

namespace zelk::platform {

struct DirectoryCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirectoryStream = std::unique_ptr<DIR, DirectoryCloser>;

}  // namespace zelk::platform
