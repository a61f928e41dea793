#include "device/entry/win32/settings.h"

#include <windows.h>

#include "core/error.h"
#include "platform/win32/error_text.h"
#include "platform/win32/text.h"

namespace zelk::device {
namespace {

// A value that no profile file holds, so that a missing key can be told
// apart from an empty value.
constexpr wchar_t missingValue[] = L"\x01zelk-missing\x01";

}  // namespace

std::optional<std::string> Win32Settings::readProfileString(const std::string& file, const std::string& section,
                                                            const std::string& key) {
    std::wstring wideFile = platform::utf8ToWide(file);
    std::wstring wideSection = platform::utf8ToWide(section);
    std::wstring wideKey = platform::utf8ToWide(key);
    // The profile API truncates silently: grow the buffer while the value
    // fills it, up to the API's own limit of 32767 characters.
    std::wstring buffer(256, L'\0');
    for (;;) {
        DWORD length = GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), missingValue,
                                                buffer.data(), static_cast<DWORD>(buffer.size()),
                                                wideFile.c_str());
        if (length + 1 < buffer.size() || buffer.size() >= 32768) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    if (buffer == missingValue) return std::nullopt;
    return platform::wideToUtf8(buffer);
}

void Win32Settings::writeProfileString(const std::string& file, const std::string& section, const std::string& key,
                                       const std::string& value) {
    if (!WritePrivateProfileStringW(platform::utf8ToWide(section).c_str(), platform::utf8ToWide(key).c_str(),
                                    platform::utf8ToWide(value).c_str(), platform::utf8ToWide(file).c_str())) {
        throw Error("EIniFileException", "Unable to write to " + file + ". " + platform::errorText(GetLastError()));
    }
}

}  // namespace zelk::device
