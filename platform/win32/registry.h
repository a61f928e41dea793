#pragma once
// Reading the registry: a key opened for reading only (looking never creates
// one) in a chosen view, and a text value read whole and bounded.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/win32/handles.h"

namespace zelk::platform {

// This build's own view of the registry first, then the other one: a 32-bit
// program finds what was registered for 64-bit programs too, and the other
// way round.
#ifdef _WIN64
inline constexpr REGSAM kRegistryViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
#else
inline constexpr REGSAM kRegistryViews[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
#endif

// An invalid key when it is not there or cannot be read.
RegistryKey openRegistryKeyForReading(HKEY root, const std::wstring& subKey, REGSAM view);

// A text value (REG_SZ or REG_EXPAND_SZ, unexpanded) of an open key; null
// valueName is the key's default value. nullopt when it is missing, not text,
// or larger than any sane registration (64 KiB).
std::optional<std::wstring> readRegistryText(HKEY key, const wchar_t* valueName);

}  // namespace zelk::platform
