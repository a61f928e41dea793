#include "platform/open_file.h"

namespace zelk::platform {

CFile openFile(const std::string& path, const char* mode) { return CFile(std::fopen(path.c_str(), mode)); }

}  // namespace zelk::platform
