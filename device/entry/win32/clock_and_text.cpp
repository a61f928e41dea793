#include "device/entry/win32/clock_and_text.h"

#include <windows.h>

#include "platform/win32/text.h"

namespace zelk::device {

std::string Win32ClockAndText::ansiToUtf8(const char* bytes, size_t count) {
    return platform::ansiToUtf8(std::string_view(bytes, count));
}

std::string Win32ClockAndText::upperCase(const std::string& text) {
    std::wstring wide = platform::utf8ToWide(text);
    if (wide.empty()) return text;
    // CharUpperBuffW maps one UTF-16 unit to one, by the user's locale.
    CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return platform::wideToUtf8(wide);
}

std::string Win32ClockAndText::timeSeparator() {
    wchar_t buffer[8] = {};
    int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, buffer, 8);
    if (length <= 1) return ":";
    return platform::wideToUtf8(std::wstring_view(buffer, static_cast<size_t>(length - 1)));
}

LocalTime Win32ClockAndText::localTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace zelk::device
