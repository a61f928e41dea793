#pragma once
// A PinMAME-style host that follows the device-host rules of PinMAME 3.6 or
// 3.7: it needs six entry points, uses the richest render call the library
// exports, and plays a short game of one kind of hardware from a thread of
// its own, as the emulator does.
#include <cstdint>
#include <filesystem>

namespace zelk::wine {

enum class PinMameVersion { v36, v37 };

struct PinMameHardware {
    const char* kind;     // for messages
    const char* rom;
    uint64_t generation;  // PinMAME's hardware generation bits
    uint32_t rawCount;    // raw bitplanes a frame has (0: none)
    bool alphanumeric;    // segment displays instead of a DMD
};

// SAM (16 shades, no raw bitplanes), WPC (4 shades, 3 raw bitplanes), GTS3
// (quantised luminance, raw bitplanes) and an alphanumeric System 11 game.
extern const PinMameHardware kPinMameHardware[4];

// Plays the game with the library at path: start, a few frames (or
// alphanumeric frames), the end frame, Close and FreeLibrary.
void playPinMameGame(const std::filesystem::path& library, PinMameVersion version, const PinMameHardware& hardware);

}  // namespace zelk::wine
