#pragma once
// Making one folder. Paths are UTF-8.
#include <string>

namespace zelk::platform {

// Creates the folder (its parent must exist); a folder already there is
// fine. Throws zelk::Error "EInOutError" naming the folder and the reason
// otherwise, also when a file stands under its name.
void createFolder(const std::string& path);

}  // namespace zelk::platform
