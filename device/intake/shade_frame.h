#pragma once
// Frames of PinMAME-style hosts (SHADEDHOST=1): one byte per dot, a shade of
// 0 to 3 (Render_4_Shades) or 0 to 15 (Render_16_Shades). The plug-in turns
// each into an RGB24 frame through one fixed ramp and takes that in like any
// Render_RGB24 frame, so the preview, matching and recordings all see the
// same colours on every cabinet, whatever DMD colour the host was told to
// use: a pack made on one cabinet matches on every other.
//
// The ramp runs from black to an amber (255, 128, 32): shade s of 16 is
// round(255 s / 15), round(128 s / 15), round(32 s / 15); shade s of 4 is
// shade 5 s of 16. Under the trigger pictures' threshold rule (red + green +
// blue above 200 is lit) the bright half counts as lit: shades 8 to 15 of 16,
// 2 and 3 of 4. A value above the top shade is the top shade.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelk::device {

enum class ShadeCount { four, sixteen };

struct ShadeColour {
    uint8_t red, green, blue;
};

// The ramp's colour for a shade byte as a host sends it (clamped).
ShadeColour shadeColour(uint8_t shade, ShadeCount count);

// rgb := count pixels of red, green, blue, one per shade byte.
void shadesToRgb(const uint8_t* shades, uint8_t* rgb, size_t count, ShadeCount shadeCount);

// The RGB24 frame a shaded frame becomes, in a buffer that only ever grows:
// after the largest frame a host sends, converting allocates nothing.
class ShadeFrame {
public:
    // Null, without reading anything, for a frame the plug-in would not take
    // in (no pixels, or a side above maxSide).
    const uint8_t* convert(uint16_t width, uint16_t height, const uint8_t* shades, ShadeCount count,
                           int maxSide);

private:
    std::vector<uint8_t> rgb_;
};

}  // namespace zelk::device
