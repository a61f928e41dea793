#pragma once
// Intake of one RGB24 frame into the BGR frame bitmap. While matching is on,
// the same pass over the pixels also fills the live mask (the top-left
// fWidth x fHeight of the frame), so each frame is read once.
#include <cstdint>

#include "core/bitmap24.h"
#include "device/matching/zelk_frame.h"

namespace zelk::device {

// rgb holds bitmap.width x bitmap.height pixels, rows of exactly width * 3 bytes.
void copyFrameToBitmap(const uint8_t* rgb, Bitmap24& bitmap);

// As copyFrameToBitmap, and live := the mask of the frame's top-left
// live.fWidth x live.fHeight pixels. The live mask must not be larger than
// the bitmap in either direction.
void copyFrameAndMask(const uint8_t* rgb, Bitmap24& bitmap, TZelkFrame& live, bool exactColorMatch);

// The inner loops of the intake. The best the processor has is used; tests
// and the benchmark choose others to check and measure each of them.
enum class IntakeLoops { plain, ssse3, avx2, avx512 };
// Uses the wanted loops, or the best below them that the processor has, and
// returns the loops now in use.
IntakeLoops useIntakeLoops(IntakeLoops wanted);
IntakeLoops intakeLoopsInUse();

}  // namespace zelk::device
