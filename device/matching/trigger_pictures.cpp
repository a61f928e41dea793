#include "device/matching/trigger_pictures.h"

#include <vector>

#include "core/bmp_header.h"
#include "core/bmp_reader.h"

namespace zelk::device {

std::string triggerPictureName(int number) { return std::to_string(number) + ".bmp"; }

bool exactColorMatchSelected(Files& files, const std::string& captureFolder) {
    return files.fileExists(captureFolder + files.pathSeparator() + kExactColorMatchFile);
}

TriggerPicture readTriggerPicture(Files& files, const std::string& path) {
    const std::vector<uint8_t> data = files.readFile(path, kMaxTriggerPictureFileBytes);
    BmpLimits limits;
    limits.maxSide = kMaxTriggerPictureSide;
    TriggerPicture read;
    read.picture = readBmp(data, path, limits);
    // Validated by readBmp already; read again for the depth it converted from.
    read.storedDepth = parseBmpHeader(ByteReader(data), path, limits).bitCount;
    return read;
}

}  // namespace zelk::device
