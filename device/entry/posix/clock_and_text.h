#pragma once
// Clock and text on POSIX: the host's 8-bit game names are read as Latin-1,
// upper case covers ASCII and the Latin-1 letters, the time separator is ':'.
#include "device/entry/clock_and_text.h"

namespace zelk::device {

class PosixClockAndText : public ClockAndText {
public:
    std::string ansiToUtf8(const char* bytes, size_t count) override;
    std::string upperCase(const std::string& text) override;
    std::string timeSeparator() override { return ":"; }
    LocalTime localTime() override;
};

// Upper case of UTF-8 text: ASCII and the Latin-1 letters; everything else
// (including broken sequences) stays as it is.
std::string upperCaseLatin1(const std::string& text);

}  // namespace zelk::device
