#pragma once
// The player link `zelkdmd replay` gives the plug-in's code (its other
// services are the host system's): the media root is the one named on the
// command line, and the player is a stand-in that hands every trigger text it
// is sent ("D12") to the replay.
#include <functional>
#include <memory>
#include <string>

#include "device/player/player_link.h"

namespace zelk::tools {

using TriggerSink = std::function<void(const std::string& text)>;

class ReplayPlayerLink : public device::PlayerLink {
public:
    // mediaRoot: the folder that holds one folder per game.
    ReplayPlayerLink(std::string mediaRoot, TriggerSink sink);

    std::string findMediaRoot() override;
    std::unique_ptr<device::PlayerDisplay> createPlayerDisplay() override;

private:
    std::string mediaRoot_;
    TriggerSink sink_;
};

}  // namespace zelk::tools
