#include "control/program/win32/automation/class_registration.h"

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "control/program/win32/automation/dmd_identity.h"
#include "control/program/server_switches.h"
#include "core/error.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/error_text.h"
#include "platform/win32/handles.h"
#include "platform/win32/module_path.h"
#include "platform/win32/text.h"

// In oleaut32 since Vista, but missing from mingw-w64's oleauto.h.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* fullPath, OLECHAR* helpDir);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libId, WORD major, WORD minor, LCID locale, SYSKIND kind);
}

namespace zelk::control {
namespace {

using platform::ComPtr;
using platform::RegistryKey;

std::wstring guidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring programPath() { return platform::utf8ToWide(platform::modulePath(nullptr)); }

std::wstring shortPathOf(const std::wstring& path) {
    std::wstring shortPath(GetShortPathNameW(path.c_str(), nullptr, 0), L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    shortPath.resize(length < shortPath.size() ? length : 0);
    return shortPath;
}

// HKEY_CLASSES_ROOT, or the user's own classes.
RegistryKey openClassesRoot(bool perUser) {
    RegistryKey root;
    const LSTATUS status = perUser ? RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0,
                                                     KEY_ALL_ACCESS, nullptr, root.receive(), nullptr)
                                   : RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, KEY_ALL_ACCESS, root.receive());
    if (status != ERROR_SUCCESS) {
        throw Error("EOleRegError", "cannot open the registry's classes: " + platform::errorText(status));
    }
    return root;
}

void writeKey(HKEY root, const std::wstring& key, const std::wstring& value) {
    RegistryKey opened;
    LSTATUS status =
        RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.receive(), nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(opened.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    if (status != ERROR_SUCCESS) {
        throw Error("EOleRegError",
                    "Error creating registry entry " + platform::wideToUtf8(key) + ": " + platform::errorText(status));
    }
}

ComPtr<ITypeLib> programTypeLibrary(const std::wstring& file) {
    ComPtr<ITypeLib> library;
    const HRESULT loaded = LoadTypeLibEx(file.c_str(), REGKIND_NONE, library.receive());
    if (FAILED(loaded)) platform::throwHresult(loaded);
    return library;
}

const std::wstring classKey = L"CLSID\\" + guidText(clsidDmd);

}  // namespace

void registerDmdClass(bool perUser) {
    std::wstring file = programPath();
    std::wstring folder = platform::utf8ToWide(platform::folderOf(platform::modulePath(nullptr)));
    const ComPtr<ITypeLib> library = programTypeLibrary(file);
    const HRESULT registered = perUser ? RegisterTypeLibForUser(library.get(), file.data(), folder.data())
                                       : RegisterTypeLib(library.get(), file.data(), folder.data());
    if (FAILED(registered)) platform::throwHresult(registered);

    const RegistryKey root = openClassesRoot(perUser);
    const std::wstring command = platform::utf8ToWide(
        localServerCommand(platform::wideToUtf8(file), platform::wideToUtf8(shortPathOf(file))));
    const struct {
        std::wstring key;
        std::wstring value;
    } entries[] = {
        {classKey, L""},
        {classKey + L"\\LocalServer32", command},
        {dmdProgId, L""},
        {std::wstring(dmdProgId) + L"\\Clsid", guidText(clsidDmd)},
        {classKey + L"\\ProgID", dmdProgId},
        {classKey + L"\\Version", L"1.0"},
        {classKey + L"\\TypeLib", guidText(libidZelkDmdControl)},
    };
    for (const auto& entry : entries) writeKey(root.get(), entry.key, entry.value);
}

void unregisterDmdClass(bool perUser) {
    const ComPtr<ITypeLib> library = programTypeLibrary(programPath());
    TLIBATTR* attributes = nullptr;
    const HRESULT read = library->GetLibAttr(&attributes);
    if (FAILED(read)) platform::throwHresult(read);
    const SYSKIND kind = attributes->syskind;
    library->ReleaseTLibAttr(attributes);
    const HRESULT removed = perUser ? UnRegisterTypeLibForUser(libidZelkDmdControl, 1, 0, 0, kind)
                                    : UnRegisterTypeLib(libidZelkDmdControl, 1, 0, 0, kind);
    // The registry's refusal is no reason to keep the class's keys.
    if (FAILED(removed) && removed != TYPE_E_REGISTRYACCESS) platform::throwHresult(removed);

    const RegistryKey root = openClassesRoot(perUser);
    // Leaves first: a key with subkeys cannot be deleted.
    for (const std::wstring& key : {classKey + L"\\TypeLib", classKey + L"\\Version", classKey + L"\\ProgID",
                                    std::wstring(dmdProgId) + L"\\Clsid", std::wstring(dmdProgId),
                                    classKey + L"\\LocalServer32", classKey}) {
        RegDeleteKeyW(root.get(), key.c_str());
    }
}

}  // namespace zelk::control
