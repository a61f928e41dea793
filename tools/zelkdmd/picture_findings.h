#pragma once
// The findings about one trigger picture as read, before any cut: its marker
// outline as the plug-in's search sees it, and colours near the marker's.
#include "core/bitmap24.h"
#include "tools/zelkdmd/pack_check.h"

namespace zelk::tools {

// Why the whole picture counts, or whether the outline's assumed right and
// bottom edges are really there.
void addOutlineFindings(const Bitmap24& picture, PictureCheck& check);

// Dots a few levels off the marker colour, which the plug-in does not take
// for marker.
void addNearMarkerFindings(const Bitmap24& picture, PictureCheck& check);

}  // namespace zelk::tools
