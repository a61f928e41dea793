#include "tools/zelkdmd/replay_player_link.h"

#include <cinttypes>
#include <utility>

namespace zelk::tools {
namespace {

// Prints "<frame> D<n>" for every trigger. B2SInit has nothing to show: the
// replay's standard output carries triggers only.
class PrintingDisplay : public device::PlayerDisplay {
public:
    PrintingDisplay(const uint64_t& frameNumber, std::FILE* out)
        : frameNumber_(frameNumber), out_(out) {}

    void B2SInit(const std::u16string&, const std::u16string&) override {}

    void B2SData(const std::u16string& tIndex, int32_t) override {
        std::string text;
        for (char16_t ch : tIndex) text += ch < 0x80 ? static_cast<char>(ch) : '?';
        std::fprintf(out_, "%" PRIu64 " %s\n", frameNumber_, text.c_str());
    }

private:
    const uint64_t& frameNumber_;
    std::FILE* out_;
};

}  // namespace

ReplayPlayerLink::ReplayPlayerLink(std::string mediaRoot, const uint64_t& frameNumber, std::FILE* out)
    : mediaRoot_(std::move(mediaRoot)), frameNumber_(frameNumber), out_(out) {
    // The plug-in appends the game name straight to the root, as it does to
    // the player's "...\ZelkVideos\".
    if (!mediaRoot_.empty() && mediaRoot_.back() != '/') mediaRoot_ += '/';
}

std::string ReplayPlayerLink::findMediaRoot() { return mediaRoot_; }

std::unique_ptr<device::PlayerDisplay> ReplayPlayerLink::createPlayerDisplay() {
    return std::make_unique<PrintingDisplay>(frameNumber_, out_);
}

}  // namespace zelk::tools
