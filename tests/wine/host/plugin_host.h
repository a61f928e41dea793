#pragma once
// A DMD-driving host as the plug-in meets it in the field: it loads the
// library by path, finds the entry points by name and calls them from
// its thread, which has initialised COM and dispatches window messages.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "dmddevice_table.h"

namespace zelk::wine {

class PluginHost {
public:
    explicit PluginHost(const std::filesystem::path& library);
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    bool Open();
    bool Close();
    void SetGameName(const std::string& name);
    void SetGameName(const char* name, int length);
    // frame: width * height RGB triples, rows from the top.
    void Render_RGB24(int width, int height, const std::vector<uint8_t>& frame);
    // Calls the seven inactive entry points with arbitrary arguments.
    void callInactiveEntryPoints();

    // Lets go of the library as a host does at its end.
    void unload();
    HMODULE module() const { return module_; }

    const DmdDeviceTable& entries() const { return entries_; }

private:
    HMODULE module_ = nullptr;
    DmdDeviceTable entries_;
};

// The library's entry points by name; throws naming the first of required
// that it lacks.
DmdDeviceTable bindEntryPoints(HMODULE module, std::span<const DmdEntry> required);

// A PinMAME-style host: it loads the library under this name, needs only
// the six entry points such a host calls, and plays a game with one byte per
// dot (4 and 16 shades) from a thread of its own that never initialises COM,
// about 60 frames a second.
#ifdef _WIN64
inline constexpr wchar_t shadedHostLibraryName[] = L"DmdDevice64.dll";
#else
inline constexpr wchar_t shadedHostLibraryName[] = L"DmdDevice.dll";
#endif
// Some frames show a block of the top shade (x 40-63, y 8-23); the first of
// them with 16 shades is frame 6 (frames numbered from 1, as recordings count).
inline constexpr int shadedBlockLeft = 40, shadedBlockTop = 8, shadedBlockRight = 64, shadedBlockBottom = 24;

// Plays game rom with the library: Open, PM_GameSettings(rom), palettes,
// shaded frames, an alphanumeric frame and console data, a dark frame,
// Close. Returns the calls made, one line each as the recording stand-in
// driver writes them.
std::vector<std::string> playShadedGame(const std::filesystem::path& library, const std::string& rom);

// Dispatches the thread's window messages for about the given time.
void pumpMessages(DWORD milliseconds = 50);

}  // namespace zelk::wine
