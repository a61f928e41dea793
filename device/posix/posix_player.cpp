#include "device/posix/posix_player.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "core/utf8.h"
#include "device/posix/posix_files.h"

namespace zelk::device {

void PosixPlayerDisplay::B2SInit(const std::u16string&, const std::u16string& romName) {
    writeLine("B2SInit " + utf16ToUtf8(romName) + "\n");
}

void PosixPlayerDisplay::B2SData(const std::u16string& tIndex, int32_t value) {
    writeLine("B2SData " + utf16ToUtf8(tIndex) + " " + std::to_string(value) + "\n");
}

void PosixPlayerDisplay::writeLine(const std::string& line) {
    if (path_.empty()) {
        std::fputs(line.c_str(), stderr);
        return;
    }
    appendToFile(path_, line, O_WRONLY | O_CREAT | O_APPEND);
}

}  // namespace zelk::device
