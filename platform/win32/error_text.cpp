#include "platform/win32/error_text.h"

#include <cstdio>

#include "core/error.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace zelk::platform {

std::string systemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    LocalMemory owner(buffer);
    if (length == 0 || buffer == nullptr) return {};
    std::wstring_view text(buffer, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.remove_suffix(1);
    }
    return wideToUtf8(text);
}

std::string errorText(DWORD code) {
    std::string text = systemMessage(code);
    return text.empty() ? "System error " + std::to_string(code) + "." : text;
}

std::string hresultText(HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    std::string description = systemMessage(static_cast<DWORD>(hr));
    return std::string("HRESULT ") + code + (description.empty() ? "" : ": " + description);
}

HresultError::HresultError(HRESULT code) : Error("EOleSysError", hresultText(code)), code_(code) {}

void throwHresult(HRESULT hr) { throw HresultError(hr); }

}  // namespace zelk::platform
