#pragma once
// Fuzz target of the trigger-set preparation (marker search, cutting, masks,
// the frame walk's windows): run by libFuzzer (fuzz/CMakeLists.txt) and, as a
// plain regression test over its corpus, by core_tests.
//
// Input: one flags byte (bit 0: exact colour rule; bit 1: raw pixels), then
// up to 8 pictures, each a width byte (1 + value % 160 pixels), a height byte
// (1 + value % 48) and its pixels row by row from the top. Raw pixels are
// three bytes, blue, green, red; otherwise one byte each: 0 dark, 1 marker,
// 2 lit, 3 dim, and any other value a colour made from it. Pixels missing at
// the end are dark; a picture whose two size bytes are not both there is left
// out.
#include <cstdint>
#include <span>
#include <vector>

#include "core/bitmap24.h"

namespace zelk::trigger_set_fuzz {

inline constexpr uint8_t kExactRule = 1;
inline constexpr uint8_t kRawPixels = 2;

// Builds the trigger set of the pictures, checks each cut and mask, then
// shows every picture as a frame and checks that the frame walk finds
// exactly the triggers RegionMatches finds. A broken promise throws
// std::logic_error.
void fuzz(std::span<const uint8_t> data);

// The input for the given pictures (each at most 160 x 48), for the seeds.
// Without raw pixels a colour keeps only what the palette can say: marker,
// lit (sum above 200), dim or dark.
std::vector<uint8_t> encode(uint8_t flags, const std::vector<Bitmap24>& pictures);

}  // namespace zelk::trigger_set_fuzz
