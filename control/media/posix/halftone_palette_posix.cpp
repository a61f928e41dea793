// No system halftone palette here: the core's fixed table stands in.
#include "control/media/halftone.h"
#include "core/halftone_palette.h"

namespace zelk::control {

Palette256 platformHalftonePalette() { return fixedHalftonePalette(); }

}  // namespace zelk::control
