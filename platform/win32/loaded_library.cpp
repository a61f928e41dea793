// Libraries loaded with LoadLibraryExW. LOAD_WITH_ALTERED_SEARCH_PATH makes a
// library given by full path find the libraries it needs in its own folder,
// as a DMD driver renamed in the host's folder expects. The flag's behaviour
// is undefined for a relative path (`zelkdmd play --device dev.dll`, FORWARD
// while the plug-in's folder is unknown), so every path is made full first,
// against the current folder.
#include "platform/loaded_library.h"

#include <windows.h>

#include "core/error.h"
#include "platform/win32/error_text.h"
#include "platform/win32/text.h"

namespace zelk::platform {
namespace {

HMODULE moduleOf(void* handle) { return static_cast<HMODULE>(handle); }

// Some of the loader's texts name the file as "%1" ("%1 is not a valid Win32
// application." for a library of the other bitness); the texts are fetched
// without inserts, so the name goes in here.
std::string withFileName(std::string text, const std::string& path) {
    const size_t at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, path);
    return text;
}

std::wstring fullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;  // the loader gives the reason
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return path;
    full.resize(length);
    return full;
}

}  // namespace

LoadedLibrary::LoadedLibrary(const std::string& path) {
    const std::wstring full = fullPath(utf8ToWide(path));
    handle_ = LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (handle_ == nullptr) throw Error("ELibrary", withFileName(errorText(GetLastError()), path));
}

LoadedLibrary::~LoadedLibrary() {
    if (!kept_) FreeLibrary(moduleOf(handle_));
}

LoadedLibrary::EntryPoint LoadedLibrary::lookUp(const char* name) const {
    // GetProcAddress hands every entry point out under one function type.
    return reinterpret_cast<EntryPoint>(GetProcAddress(moduleOf(handle_), name));
}

bool LoadedLibrary::contains(const void* address) const {
    HMODULE owner = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCWSTR>(address), &owner);
    return owner != nullptr && owner == moduleOf(handle_);
}

}  // namespace zelk::platform
