#pragma once
// The full path of a loaded module's file, as UTF-8.
#include <windows.h>

#include <string>

namespace zelk::platform {

// module null: the program's own file. Empty when the system cannot say.
std::string modulePath(HMODULE module);

// The folder part of a Windows path, its last '\' or '/' included.
std::string folderOf(const std::string& path);

}  // namespace zelk::platform
