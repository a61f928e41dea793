#include "device/player/posix/player_link.h"

#include <cstdio>
#include <cstdlib>

#include "core/utf8.h"
#include "platform/file_write.h"

namespace zelk::device {
namespace {

class PosixPlayerDisplay : public PlayerDisplay {
public:
    // An empty path means standard error.
    explicit PosixPlayerDisplay(std::string path) : path_(std::move(path)) {}

    void B2SInit(const std::u16string&, const std::u16string& romName) override {
        writeLine("B2SInit " + utf16ToUtf8(romName) + "\n");
    }
    void B2SData(const std::u16string& tIndex, int32_t value) override {
        writeLine("B2SData " + utf16ToUtf8(tIndex) + " " + std::to_string(value) + "\n");
    }

private:
    void writeLine(const std::string& line) {
        if (path_.empty()) {
            std::fputs(line.c_str(), stderr);
            return;
        }
        platform::writeToFile(path_, line, platform::WriteMode::appendOrCreate);
    }

    std::string path_;
};

}  // namespace

std::string PosixPlayerLink::findMediaRoot() {
    const char* root = std::getenv("ZELK_MEDIA_ROOT");
    if (root == nullptr || *root == '\0') return files_.pluginFolder() + "ZelkVideos/";
    std::string folder = root;
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::unique_ptr<PlayerDisplay> PosixPlayerLink::createPlayerDisplay() {
    const char* file = std::getenv("ZELK_PLAYER_LOG");
    return std::make_unique<PosixPlayerDisplay>(file != nullptr ? file : "");
}

}  // namespace zelk::device
