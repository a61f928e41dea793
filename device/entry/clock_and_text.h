#pragma once
// The user's clock and text conventions: the host's 8-bit game names, upper
// case, the log's time stamp.
#include <cstddef>
#include <string>

namespace zelk::device {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class ClockAndText {
public:
    virtual ~ClockAndText() = default;

    // The host's ANSI game-name bytes to UTF-8, and the locale's upper case.
    virtual std::string ansiToUtf8(const char* bytes, size_t count) = 0;
    virtual std::string upperCase(const std::string& text) = 0;

    // The user's time separator for the log's time stamp, and the local time.
    virtual std::string timeSeparator() = 0;
    virtual LocalTime localTime() = 0;
};

}  // namespace zelk::device
