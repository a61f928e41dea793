#pragma once
// The link to the media player: where its media live, and its display object.
#include <cstdint>
#include <memory>
#include <string>

namespace zelk::device {

// The media player's display object (TPinDisplay). Connects lazily at every
// call while unconnected; every failure throws zelk::Error whose className()
// and what() end up in the log.
class PlayerDisplay {
public:
    virtual ~PlayerDisplay() = default;
    virtual void B2SInit(const std::u16string& tName, const std::u16string& romName) = 0;
    virtual void B2SData(const std::u16string& tIndex, int32_t value) = 0;
};

class PlayerLink {
public:
    virtual ~PlayerLink() = default;

    // The folder that holds one media folder per game, with a trailing
    // separator; empty when the player cannot be found.
    virtual std::string findMediaRoot() = 0;
    virtual std::unique_ptr<PlayerDisplay> createPlayerDisplay() = 0;
};

}  // namespace zelk::device
