#pragma once
// The preview window's keys of the settings file, read at every Open.
#include <cstdint>
#include <string>

#include "device/preview/preview_window.h"
#include "device/entry/settings.h"

namespace zelk::device {

// PREVIEWX, PREVIEWY (kept within +-32767, beyond which no desktop reaches),
// PREVIEWSCALE (1 to 16, anything else 1), PREVIEWDOTS, PREVIEWTOPMOST and
// PREVIEWSAVE (on when 1). A missing or unreadable file gives the plain look.
PreviewLook readPreviewLook(Settings& settings, const std::string& file);

// Writes the window's corner back as PREVIEWX and PREVIEWY.
void savePreviewPosition(Settings& settings, const std::string& file, int32_t x, int32_t y);

}  // namespace zelk::device
