#pragma once
// zelkdmd check: what the plug-in's game start makes of a trigger folder, and
// what in it will surprise the pack's author, as data. Computed with the
// plug-in's own code (trigger_pictures.h, marker_search.h, TriggerSet), so
// that it reports what the plug-in does. check_command.cpp prints it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/entry/files.h"
#include "device/matching/marker_search.h"

namespace zelk::tools {

enum class Severity {
    note,     // what the plug-in does, said once
    warning,  // usable, but likely not what the author meant
    error,    // a picture that is not used or never matches
};

struct Finding {
    Severity severity = Severity::note;
    std::string kind;  // stable name for tools ("gap", "refused", ...)
    std::string text;  // one sentence for the author
};

struct PictureCheck {
    int number = 0;
    std::string file;          // "3.bmp"
    bool read = false;         // decoded within the plug-in's limits
    int32_t width = 0;         // as read
    int32_t height = 0;
    uint32_t storedDepth = 0;  // bits per pixel in the file
    device::MaskRect region;   // where the plug-in compares, in the picture as read
    bool wholePicture = false; // no usable outline
    int64_t litDots = 0;       // non-zero bytes of the region's mask
    std::vector<Finding> findings;
};

struct PackCheck {
    std::string folder;  // the trigger folder checked
    std::string game;    // the name of the folder above it
    bool exactColorMatch = false;
    int loaded = 0;      // pictures the game start loads before it ends or fails
    bool matchingOn = false;
    int32_t liveWidth = 0;   // the live mask: picture 1's size
    int32_t liveHeight = 0;
    std::vector<Finding> findings;  // of the folder as a whole
    std::vector<PictureCheck> pictures;

    // No error in the folder or any picture.
    bool usable() const;
};

inline void addFinding(std::vector<Finding>& to, Severity severity, const char* kind, std::string text) {
    to.push_back(Finding{severity, kind, std::move(text)});
}

// "1 dot", "2 dots": findings count things in plain words.
inline std::string counted(int64_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The trigger folder for a path naming a game's ZelkCapture folder or the
// game folder above it; none when the path is not a folder.
std::optional<std::string> triggerFolderFor(device::Files& files, const std::string& path);

// Checks the trigger folder (found by triggerFolderFor).
PackCheck checkPack(device::Files& files, const std::string& folder);

}  // namespace zelk::tools
