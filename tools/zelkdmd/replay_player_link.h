#pragma once
// The player link `zelkdmd replay` gives the plug-in's code (its other
// services are the POSIX ones): the media root is the one named on the
// command line, and the player is a stand-in that prints every trigger it is
// sent.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "device/player_link.h"

namespace zelk::tools {

class ReplayPlayerLink : public device::PlayerLink {
public:
    // mediaRoot: the folder that holds one folder per game. frameNumber is
    // read at every trigger, so the caller keeps it current.
    ReplayPlayerLink(std::string mediaRoot, const uint64_t& frameNumber, std::FILE* out);

    std::string findMediaRoot() override;
    std::unique_ptr<device::PlayerDisplay> createPlayerDisplay() override;

private:
    std::string mediaRoot_;
    const uint64_t& frameNumber_;
    std::FILE* out_;
};

}  // namespace zelk::tools
