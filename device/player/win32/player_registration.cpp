#include "device/player/win32/player_registration.h"

#include <windows.h>

#include "platform/win32/registry.h"
#include "platform/win32/text.h"

namespace zelk::device {
namespace {

constexpr wchar_t playerServerKey[] =
    L"CLSID\\{88919FAC-00B2-4AA8-B1C7-52AD65C476D3}\\LocalServer32\\";

}  // namespace

std::wstring programFromServerCommand(const std::wstring& command) {
    if (command.empty() || command.front() != L'"') return command;
    const size_t closing = command.find(L'"', 1);
    return command.substr(1, closing == std::wstring::npos ? std::wstring::npos : closing - 1);
}

std::wstring mediaRootFromServerCommand(const std::wstring& command) {
    const std::wstring program = programFromServerCommand(command);
    size_t cut = program.find_last_of(L"\\:");
    std::wstring folder = cut == std::wstring::npos ? std::wstring() : program.substr(0, cut + 1);
    return folder + L"ZelkVideos\\";
}

std::optional<std::string> FindPlayerServerCommand() {
    for (REGSAM view : platform::kRegistryViews) {
        const platform::RegistryKey key = platform::openRegistryKeyForReading(HKEY_CLASSES_ROOT, playerServerKey, view);
        if (!key.valid()) continue;
        return platform::wideToUtf8(platform::readRegistryText(key.get(), nullptr).value_or(L""));
    }
    return std::nullopt;
}

std::string FindMediaRoot() {
    const std::optional<std::string> command = FindPlayerServerCommand();
    if (!command) return {};
    return platform::wideToUtf8(mediaRootFromServerCommand(platform::utf8ToWide(*command)));
}

}  // namespace zelk::device
