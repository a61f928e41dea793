#include "platform/win32/registry.h"

#include <algorithm>

namespace zelk::platform {
namespace {

constexpr DWORD kMaxTextBytes = 64 * 1024;

}  // namespace

RegistryKey openRegistryKeyForReading(HKEY root, const std::wstring& subKey, REGSAM view) {
    RegistryKey key;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ | view, key.receive()) != ERROR_SUCCESS) key.reset();
    return key;
}

std::optional<std::wstring> readRegistryText(HKEY key, const wchar_t* valueName) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxTextBytes) return std::nullopt;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &got) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    // The stored text need not carry its terminator; cut at the first one.
    value.resize(std::min<size_t>(got / sizeof(wchar_t), value.size()));
    const size_t end = value.find(L'\0');
    if (end != std::wstring::npos) value.resize(end);
    return value;
}

}  // namespace zelk::platform
