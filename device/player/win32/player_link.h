#pragma once
// The link to the media player VantorPlayer: where its media live (from its
// registration, player_registration.h) and its display object TPinDisplay.
#include "device/player/player_link.h"

namespace zelk::device {

class Win32PlayerLink : public PlayerLink {
public:
    std::string findMediaRoot() override;
    // A display object that connects on its first call. Failures throw
    // zelk::Error with class name "EOleSysError" and the message
    // "HRESULT 0x8xxxxxxx: <the system's description of the code>".
    std::unique_ptr<PlayerDisplay> createPlayerDisplay() override;
};

}  // namespace zelk::device
