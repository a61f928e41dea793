#pragma once
// Where a game's trigger pictures lie and how each one is read: the rules of
// the game start, kept in one place so that the pack check of zelkdmd
// reports what the plug-in does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/bitmap24.h"
#include "device/entry/files.h"

namespace zelk::device {

inline constexpr const char* kCaptureFolderName = "ZelkCapture";
// Its presence selects the exact mask rule; its contents are never read.
inline constexpr const char* kExactColorMatchFile = "ExactColorMatch.txt";
inline constexpr int kMaxTriggerPictures = 500;
// Trigger pictures are DMD screens; anything beyond these is refused before
// it is allocated.
inline constexpr int32_t kMaxTriggerPictureSide = 1024;
inline constexpr size_t kMaxTriggerPictureFileBytes = 16u << 20;

// "<number>.bmp", the number in decimal without leading zeros.
std::string triggerPictureName(int number);

bool exactColorMatchSelected(Files& files, const std::string& captureFolder);

struct TriggerPicture {
    Bitmap24 picture;          // 24 bits, row 0 at the top
    uint32_t storedDepth = 0;  // bits per pixel in the file
};

// Reads and decodes one picture within the limits above. Throws zelk::Error
// naming the file and the reason.
TriggerPicture readTriggerPicture(Files& files, const std::string& path);

}  // namespace zelk::device
