#include "platform/open_file.h"

#include <cwchar>

#include "platform/win32/text.h"

namespace zelk::platform {

CFile openFile(const std::string& path, const char* mode) {
    return CFile(_wfopen(utf8ToWide(path).c_str(), utf8ToWide(mode).c_str()));
}

}  // namespace zelk::platform
