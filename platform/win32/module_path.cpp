#include "platform/win32/module_path.h"

#include <vector>

#include "platform/win32/text.h"

namespace zelk::platform {

std::string modulePath(HMODULE module) {
    // Long paths exceed MAX_PATH: grow until the name fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return wideToUtf8(std::wstring_view(buffer.data(), length));
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string folderOf(const std::string& path) {
    const size_t end = path.find_last_of("\\/");
    return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

}  // namespace zelk::platform
