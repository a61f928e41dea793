#include "tools/zelkdmd/replay_player_link.h"

#include <utility>

namespace zelk::tools {
namespace {

// B2SInit has nothing to show: the replay reports triggers only.
class ForwardingDisplay : public device::PlayerDisplay {
public:
    explicit ForwardingDisplay(const TriggerSink& sink) : sink_(sink) {}

    void B2SInit(const std::u16string&, const std::u16string&) override {}

    void B2SData(const std::u16string& tIndex, int32_t) override {
        std::string text;
        for (char16_t ch : tIndex) text += ch < 0x80 ? static_cast<char>(ch) : '?';
        sink_(text);
    }

private:
    const TriggerSink& sink_;
};

}  // namespace

ReplayPlayerLink::ReplayPlayerLink(std::string mediaRoot, TriggerSink sink)
    : mediaRoot_(std::move(mediaRoot)), sink_(std::move(sink)) {
    // The plug-in appends the game name straight to the root, as it does to
    // the player's "...\ZelkVideos\".
    if (!mediaRoot_.empty() && mediaRoot_.back() != '/') mediaRoot_ += '/';
}

std::string ReplayPlayerLink::findMediaRoot() { return mediaRoot_; }

std::unique_ptr<device::PlayerDisplay> ReplayPlayerLink::createPlayerDisplay() {
    return std::make_unique<ForwardingDisplay>(sink_);
}

}  // namespace zelk::tools
