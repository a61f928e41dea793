#pragma once
// The platform's 256-colour halftone palette, which the GIF animation draws
// into: on Windows the system's own (read at run time), elsewhere the fixed
// table of the core. The nearest-colour rule is the core's HalftoneQuantiser
// on both.
#include "core/palette_entry.h"

namespace zelk::control {

Palette256 platformHalftonePalette();

}  // namespace zelk::control
