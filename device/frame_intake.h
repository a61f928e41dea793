#pragma once
// Intake of one RGB24 frame into the BGR frame bitmap. While matching is on,
// the same pass over the pixels also fills the live mask (the top-left
// fWidth x fHeight of the frame), so each frame is read once.
#include <cstdint>

#include "core/bitmap24.h"
#include "device/zelk_frame.h"

namespace zelk::device {

// rgb holds bitmap.width x bitmap.height pixels, rows of exactly width * 3 bytes.
void copyFrameToBitmap(const uint8_t* rgb, Bitmap24& bitmap);

// As copyFrameToBitmap, and live := the mask of the frame's top-left
// live.fWidth x live.fHeight pixels. The live mask must not be larger than
// the bitmap in either direction.
void copyFrameAndMask(const uint8_t* rgb, Bitmap24& bitmap, TZelkFrame& live, bool exactColorMatch);

// The vector loops are used when the processor has them. Tests and the
// benchmark switch them off to check and measure the plain loops.
void useVectorIntake(bool enabled);
bool vectorIntakeInUse();

}  // namespace zelk::device
