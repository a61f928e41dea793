#pragma once
// What a path names, links followed. Paths are UTF-8.
#include <string>

namespace zelk::platform {

enum class PathKind {
    missing,  // nothing there, a link leading nowhere, or not reachable
    file,     // a regular file
    folder,
    other,    // a pipe, device or socket
};

PathKind pathKind(const std::string& path);

}  // namespace zelk::platform
