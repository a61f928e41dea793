#pragma once
// The control program's single road to the DMD: every still picture, GIF
// frame and mirrored window becomes one 128x32 RGB24 frame for Render_RGB24.
#include <array>
#include <cstdint>

#include "control/device/dmd_device.h"
#include "control/output/source_bitmap.h"
#include "core/bitmap24.h"

namespace zelk::control {

inline constexpr int32_t kDmdWidth = 128;
inline constexpr int32_t kDmdHeight = 32;
inline constexpr size_t kDmdFrameBytes = static_cast<size_t>(kDmdWidth) * kDmdHeight * 3;

using DmdFrame = std::array<uint8_t, kDmdFrameBytes>;  // red, green, blue, rows from the top

// Open, then PM_GameSettings with the empty game name, hardware generation 3
// and a zeroed 76-byte options record. Every call does both again; failures
// of the device reach the caller.
void OpenDmdDevice(DmdDevice& device);

// The frame SendFrameToDmd would send: a 128x32 source is taken as it is,
// any other size is resampled with ResizeBilinear's arithmetic. Returns false
// (frame untouched) for a source that cannot be sent: under 2 pixels wide or
// high, empty, or an inconsistent view (no pixels, no palette, short stride).
// Reads only the source pixels the resample uses; never changes the source.
bool BuildDmdFrame(const SourceBitmap& source, DmdFrame& frame) noexcept;

// Builds the frame and hands it to Render_RGB24. Never raises: a source that
// cannot be sent, or a failure of the device, drops the frame silently.
void SendFrameToDmd(DmdDevice& device, const SourceBitmap& source) noexcept;

// Resamples the bitmap in place to width x height with the bilinear filter
// (mapping x * (W - 1) / w, single-precision arithmetic, ties to even).
// Throws zelk::Error when the bitmap is under 2 pixels wide or high, when its
// pixel buffer does not match its size, or when the target size is outside
// 1..65535 on either side.
void ResizeBilinear(Bitmap24& bitmap, int32_t width, int32_t height);

// A view of a 24-bit bitmap for SendFrameToDmd.
SourceBitmap viewOf(const Bitmap24& bitmap) noexcept;

}  // namespace zelk::control
