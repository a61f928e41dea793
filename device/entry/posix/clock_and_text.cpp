#include "device/entry/posix/clock_and_text.h"

#include <ctime>

#include "core/utf8.h"

namespace zelk::device {

std::string PosixClockAndText::ansiToUtf8(const char* bytes, size_t count) {
    return latin1ToUtf8(std::string_view(bytes, count));
}

std::string PosixClockAndText::upperCase(const std::string& text) { return upperCaseLatin1(text); }

LocalTime PosixClockAndText::localTime() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::string upperCaseLatin1(const std::string& text) {
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        } else if (c == 0xC3 && i + 1 < out.size()) {
            // U+00E0..U+00FE except U+00F7 (division sign): minus 0x20.
            const auto next = static_cast<unsigned char>(out[i + 1]);
            if (next >= 0xA0 && next <= 0xBE && next != 0xB7) out[i + 1] = static_cast<char>(next - 0x20);
            ++i;
        }
    }
    return out;
}

}  // namespace zelk::device
