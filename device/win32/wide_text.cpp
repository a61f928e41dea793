#include "device/win32/wide_text.h"

#include <climits>

#include "core/error.h"

namespace zelk::device::win32 {
namespace {

// The conversion functions take int lengths; longer texts never reach the
// plug-in (names are at most 127 bytes, paths and log lines are short).
int checkedLength(size_t count) {
    if (count > static_cast<size_t>(INT_MAX / 4)) {
        throw Error("EConvertError", "text too long to convert");
    }
    return static_cast<int>(count);
}

std::wstring toWide(UINT codePage, const char* bytes, size_t count) {
    if (count == 0) return {};
    int length = checkedLength(count);
    int needed = MultiByteToWideChar(codePage, 0, bytes, length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring out(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, bytes, length, out.data(), needed);
    return out;
}

std::string fromWide(UINT codePage, const wchar_t* text, size_t count) {
    if (count == 0) return {};
    int length = checkedLength(count);
    int needed = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, text, length, out.data(), needed, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring utf8ToWide(const std::string& text) { return toWide(CP_UTF8, text.data(), text.size()); }

std::string wideToUtf8(const wchar_t* text, size_t count) { return fromWide(CP_UTF8, text, count); }

std::wstring ansiToWide(const char* bytes, size_t count) { return toWide(CP_ACP, bytes, count); }

std::string wideToAnsi(const std::wstring& text) { return fromWide(CP_ACP, text.data(), text.size()); }

std::string systemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) return {};
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return wideToUtf8(text);
}

}  // namespace zelk::device::win32
