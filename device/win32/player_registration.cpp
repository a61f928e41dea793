#include "device/win32/player_registration.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace zelk::device {
namespace {

constexpr wchar_t playerServerKey[] =
    L"CLSID\\{88919FAC-00B2-4AA8-B1C7-52AD65C476D3}\\LocalServer32\\";

// A registry value is never larger than this in any sane registration.
constexpr DWORD maxServerCommandBytes = 64 * 1024;

// This build's own view of the registry first, then the other one.
#ifdef _WIN64
constexpr REGSAM registryViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
#else
constexpr REGSAM registryViews[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
#endif

std::wstring readDefaultValue(HKEY key) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 || size > maxServerCommandBytes) return {};
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &got) !=
        ERROR_SUCCESS) {
        return {};
    }
    // The stored text need not carry its terminator; cut at the first one.
    value.resize(std::min<size_t>(got / sizeof(wchar_t), value.size()));
    size_t end = value.find(L'\0');
    if (end != std::wstring::npos) value.resize(end);
    return value;
}

}  // namespace

std::wstring mediaRootFromServerCommand(const std::wstring& command) {
    std::wstring program = command;
    if (!command.empty() && command.front() == L'"') {
        const size_t closing = command.find(L'"', 1);
        program = command.substr(1, closing == std::wstring::npos ? std::wstring::npos : closing - 1);
    }
    size_t cut = program.find_last_of(L"\\:");
    std::wstring folder = cut == std::wstring::npos ? std::wstring() : program.substr(0, cut + 1);
    return folder + L"ZelkVideos\\";
}

std::string FindMediaRoot() {
    for (REGSAM view : registryViews) {
        platform::RegistryKey key;
        // Read access only: looking for the player never creates its key.
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, playerServerKey, 0, KEY_READ | view, key.receive()) !=
            ERROR_SUCCESS) {
            continue;
        }
        return platform::wideToUtf8(mediaRootFromServerCommand(readDefaultValue(key.get())));
    }
    return {};
}

}  // namespace zelk::device
