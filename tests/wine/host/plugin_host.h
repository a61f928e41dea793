#pragma once
// A DMD-driving host as the plug-in meets it in the field: it loads the
// library by path, finds the eleven entry points by name and calls them from
// its thread, which has initialised COM and dispatches window messages.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dmddevice.h"

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

private:
    template <typename Function>
    Function entry(const char* name);

    HMODULE module_ = nullptr;
    decltype(&::Open) open_ = nullptr;
    decltype(&::Close) close_ = nullptr;
    decltype(&::SetGameName) setGameName_ = nullptr;
    decltype(&::Render_RGB24) render_ = nullptr;
    decltype(&::PM_GameSettings) gameSettings_ = nullptr;
    decltype(&::Set_4_Colors_Palette) palette4_ = nullptr;
    decltype(&::Set_16_Colors_Palette) palette16_ = nullptr;
    decltype(&::Render_4_Shades) shades4_ = nullptr;
    decltype(&::Render_16_Shades) shades16_ = nullptr;
    decltype(&::Render_PM_Alphanumeric_Frame) alphanumeric_ = nullptr;
    decltype(&::Console_Data) consoleData_ = nullptr;
};

// Dispatches the thread's window messages for about the given time.
void pumpMessages(DWORD milliseconds = 50);

}  // namespace zelk::wine
