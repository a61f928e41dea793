#include "control/win32/wide_path.h"

#include <windows.h>

#include <climits>
#include <cwchar>

#include "core/error.h"

namespace zelk::control {

std::wstring toWidePath(const std::string& path) {
    if (path.empty()) return {};
    if (path.size() > static_cast<size_t>(INT_MAX / 4)) throw Error("EConvertError", "path too long");
    const int length = static_cast<int>(path.size());
    const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, nullptr, 0);
    if (needed <= 0) throw Error("EConvertError", "path is not valid UTF-8");
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, wide.data(), needed);
    return wide;
}

std::string fromWideName(const wchar_t* name) {
    const size_t count = std::wcslen(name);
    if (count == 0 || count > static_cast<size_t>(INT_MAX / 4)) return {};
    const int length = static_cast<int>(count);
    const int needed = WideCharToMultiByte(CP_UTF8, 0, name, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string text(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, name, length, text.data(), needed, nullptr, nullptr);
    return text;
}

}  // namespace zelk::control
