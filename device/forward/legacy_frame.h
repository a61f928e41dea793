#pragma once
// The frame a PinMAME host sends a driver that lacks its newer calls (the
// host's legacy rule), made from what it sends one that has them. The
// forwarder gives it to a driver without the luminance calls, and the
// plug-in takes it in itself, so that a pack matches the same frames
// whichever call the host picks.
//
// The legacy frame is the identification frame, except on GTS3 hardware,
// whose frame is the luminance quantised: PinMAME 3.6 shifts its byte
// luminance right by 4 (16 shades) or 6 (4 shades); 3.7 truncates the
// single-precision product of its 0.0-1.0 luminance and 15 or 3.
#include <cstdint>
#include <string_view>
#include <vector>

namespace zelk::device {

// What the last PM_GameSettings said about the game.
struct GameKind {
    uint64_t generation = 0;
    bool sixteenShadesByName = false;  // smb* and cueball* (any case)

    static GameKind of(const char* name, uint64_t generation);
    bool gts3() const;
    // SAM, SPA and ALVG_DMD2 hardware, and the names above, have 16 shades.
    bool sixteenShades() const;
};

class LegacyFrame {
public:
    // The legacy frame of a PinMAME 3.6 luminance frame. Null when the source
    // it comes from is null, or for GTS3 when a side is above maxSide.
    const uint8_t* fromLum(uint16_t width, uint16_t height, const uint8_t* lum, const uint8_t* ident,
                           const GameKind& game, int maxSide);
    // The same for PinMAME 3.7, whose identBits tell the shades (4 bits: 16).
    const uint8_t* fromFloatLum(uint16_t width, uint16_t height, const float* lum, const uint8_t* ident,
                                uint8_t identBits, const GameKind& game, int maxSide);

private:
    uint8_t* buffer(uint16_t width, uint16_t height);
    std::vector<uint8_t> frame_;  // only ever grows
};

// Whether a 3.7 luminance frame has 16 shades.
inline bool sixteenShadesOfIdentBits(uint8_t identBits) { return identBits == 4; }

}  // namespace zelk::device
