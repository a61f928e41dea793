#pragma once
// Clock and text on Windows, by the user's locale: the ANSI code page for the
// host's game names, the locale's upper case and time separator.
#include "device/entry/clock_and_text.h"

namespace zelk::device {

class Win32ClockAndText : public ClockAndText {
public:
    std::string ansiToUtf8(const char* bytes, size_t count) override;
    std::string upperCase(const std::string& text) override;
    std::string timeSeparator() override;
    LocalTime localTime() override;
};

}  // namespace zelk::device
