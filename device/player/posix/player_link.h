#pragma once
// The player link on POSIX, where there is no VantorPlayer:
//  - the media root is $ZELK_MEDIA_ROOT when set and not empty, else
//    "<plugin folder>ZelkVideos/";
//  - the player display appends "B2SInit <rom name>" and "B2SData <text>
//    <value>" lines to the file named by $ZELK_PLAYER_LOG (created when
//    missing), or writes them to standard error when that variable is unset
//    or empty.
#include "device/entry/files.h"
#include "device/player/player_link.h"

namespace zelk::device {

class PosixPlayerLink : public PlayerLink {
public:
    // files: where the plug-in's folder comes from.
    explicit PosixPlayerLink(Files& files) : files_(files) {}

    std::string findMediaRoot() override;
    std::unique_ptr<PlayerDisplay> createPlayerDisplay() override;

private:
    Files& files_;
};

}  // namespace zelk::device
