#include "platform/win32/text.h"

#include <windows.h>

#include <climits>

#include "core/error.h"
#include "core/utf8.h"

namespace zelk::platform {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide text is UTF-16");

// The system's conversions take int lengths. Texts this long never reach
// our programs (names, paths and log lines are short); refusing them keeps
// the length arithmetic exact.
int checkedLength(size_t count) {
    if (count > static_cast<size_t>(INT_MAX / 4)) throw Error("EConvertError", "text too long to convert");
    return static_cast<int>(count);
}

}  // namespace

std::wstring utf8ToWide(std::string_view text) {
    const std::u16string wide = utf8ToUtf16(text);
    return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size());
}

std::string wideToUtf8(std::wstring_view text) {
    return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::wstring ansiToWide(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int length = checkedLength(bytes.size());
    // Without MB_ERR_INVALID_CHARS the system maps undefined bytes to the
    // code page's default character instead of failing.
    const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring out(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, out.data(), needed);
    return out;
}

std::string wideToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = checkedLength(text.size());
    const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), needed, nullptr, nullptr);
    return out;
}

std::string ansiToUtf8(std::string_view bytes) { return wideToUtf8(ansiToWide(bytes)); }

std::string utf8ToAnsi(std::string_view text) { return wideToAnsi(utf8ToWide(text)); }

}  // namespace zelk::platform
