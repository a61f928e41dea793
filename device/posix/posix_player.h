#pragma once
// The player display on POSIX: there is no VantorPlayer, so every call is
// written as one line, "B2SInit <rom name>" or "B2SData <text> <value>", to a
// file (appended, created when missing) or to standard error.
#include <string>

#include "device/platform.h"

namespace zelk::device {

class PosixPlayerDisplay : public PlayerDisplay {
public:
    // An empty path means standard error.
    explicit PosixPlayerDisplay(std::string path) : path_(std::move(path)) {}

    void B2SInit(const std::u16string& tName, const std::u16string& romName) override;
    void B2SData(const std::u16string& tIndex, int32_t value) override;

private:
    void writeLine(const std::string& line);
    std::string path_;
};

}  // namespace zelk::device
