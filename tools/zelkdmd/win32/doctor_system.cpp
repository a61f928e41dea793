// The doctor's reads of the registry and of version resources on Windows,
// through the platform's registry reader and text conversion; the player is
// looked up by the plug-in's own code.
#include "tools/zelkdmd/doctor_system.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "device/player/win32/player_registration.h"
#include "platform/win32/registry.h"
#include "platform/win32/text.h"

namespace zelk::tools {
namespace {

std::optional<std::wstring> registryText(const std::wstring& subKey, const wchar_t* valueName, REGSAM view) {
    const platform::RegistryKey key = platform::openRegistryKeyForReading(HKEY_CLASSES_ROOT, subKey, view);
    if (!key.valid()) return std::nullopt;
    return platform::readRegistryText(key.get(), valueName);
}

// A .NET class's CodeBase is a file URL: "file:///C:/Program Files/FlexDMD/FlexDMD.dll".
std::wstring pathFromFileUrl(std::wstring url) {
    constexpr std::wstring_view prefix = L"file:///";
    if (url.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), url.begin(), [](wchar_t a, wchar_t b) {
            return a == static_cast<wchar_t>(std::towlower(b));
        })) {
        url.erase(0, prefix.size());
    }
    std::replace(url.begin(), url.end(), L'/', L'\\');
    return url;
}

std::optional<std::wstring> serverFile(const std::wstring& classKey, ServerKind kind, REGSAM view) {
    if (kind == ServerKind::localProgram) {
        const std::optional<std::wstring> command = registryText(classKey + L"\\LocalServer32", nullptr, view);
        if (!command) return std::nullopt;
        return device::programFromServerCommand(*command);
    }
    if (const std::optional<std::wstring> codeBase = registryText(classKey + L"\\InprocServer32", L"CodeBase", view)) {
        return pathFromFileUrl(*codeBase);
    }
    return registryText(classKey + L"\\InprocServer32", nullptr, view);
}

std::string versionString(const std::vector<char>& block, const std::wstring& language, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = L"\\StringFileInfo\\" + language + L"\\" + name;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return {};
    return platform::wideToUtf8(std::wstring(static_cast<const wchar_t*>(value), length - 1));
}

}  // namespace

bool systemHasRegistry() { return true; }

std::vector<std::string> registeredServerFiles(const std::string& progId, ServerKind kind) {
    std::vector<std::string> files;
    for (const REGSAM view : platform::kRegistryViews) {
        const std::optional<std::wstring> clsid =
            registryText(platform::utf8ToWide(progId) + L"\\CLSID", nullptr, view);
        if (!clsid || clsid->empty()) continue;
        const std::optional<std::wstring> file = serverFile(L"CLSID\\" + *clsid, kind, view);
        // A bare name ("mscoree.dll") names no folder of the host's own.
        if (!file || file->find_first_of(L"\\/") == std::wstring::npos) continue;
        const std::string path = platform::wideToUtf8(*file);
        if (std::find(files.begin(), files.end(), path) == files.end()) files.push_back(path);
    }
    return files;
}

std::optional<PlayerRegistration> registeredPlayer() {
    const std::optional<std::string> command = device::FindPlayerServerCommand();
    if (!command) return std::nullopt;
    const std::wstring wide = platform::utf8ToWide(*command);
    return PlayerRegistration{platform::wideToUtf8(device::programFromServerCommand(wide)),
                              platform::wideToUtf8(device::mediaRootFromServerCommand(wide))};
}

std::optional<LibraryIdentity> readLibraryIdentity(const std::string& path) {
    const std::wstring file = platform::utf8ToWide(path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return std::nullopt;
    // The first language the resource lists, else US English in Unicode.
    std::wstring language = L"040904B0";
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
        const auto* pair = static_cast<const WORD*>(value);
        wchar_t text[9];
        swprintf(text, 9, L"%04X%04X", pair[0], pair[1]);
        language = text;
    }
    return LibraryIdentity{versionString(block, language, L"ProductName"),
                           versionString(block, language, L"ProductVersion"),
                           versionString(block, language, L"OriginalFilename")};
}

std::string logTextAsUtf8(const std::string& bytes) { return platform::ansiToUtf8(bytes); }

}  // namespace zelk::tools
