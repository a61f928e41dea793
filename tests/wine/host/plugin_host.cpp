#include "plugin_host.h"

#include <stdexcept>

namespace zelk::wine {

PluginHost::PluginHost(const std::filesystem::path& library) {
    module_ = LoadLibraryW(library.c_str());
    if (module_ == nullptr) throw std::runtime_error("cannot load " + library.string());
    open_ = entry<decltype(open_)>("Open");
    close_ = entry<decltype(close_)>("Close");
    setGameName_ = entry<decltype(setGameName_)>("SetGameName");
    render_ = entry<decltype(render_)>("Render_RGB24");
    gameSettings_ = entry<decltype(gameSettings_)>("PM_GameSettings");
    palette4_ = entry<decltype(palette4_)>("Set_4_Colors_Palette");
    palette16_ = entry<decltype(palette16_)>("Set_16_Colors_Palette");
    shades4_ = entry<decltype(shades4_)>("Render_4_Shades");
    shades16_ = entry<decltype(shades16_)>("Render_16_Shades");
    alphanumeric_ = entry<decltype(alphanumeric_)>("Render_PM_Alphanumeric_Frame");
    consoleData_ = entry<decltype(consoleData_)>("Console_Data");
}

PluginHost::~PluginHost() { unload(); }

template <typename Function>
Function PluginHost::entry(const char* name) {
    FARPROC address = GetProcAddress(module_, name);
    if (address == nullptr) throw std::runtime_error(std::string("no entry point ") + name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

bool PluginHost::Open() {
    bool result = open_();
    pumpMessages();
    return result;
}

bool PluginHost::Close() {
    bool result = close_();
    pumpMessages();
    return result;
}

void PluginHost::SetGameName(const std::string& name) {
    setGameName_(name.c_str(), static_cast<int>(name.size()));
    pumpMessages(0);
}

void PluginHost::SetGameName(const char* name, int length) {
    setGameName_(name, length);
    pumpMessages(0);
}

void PluginHost::Render_RGB24(int width, int height, const std::vector<uint8_t>& frame) {
    render_(static_cast<uint16_t>(width), static_cast<uint16_t>(height),
            reinterpret_cast<const rgb24*>(frame.data()));
    pumpMessages(0);
}

void PluginHost::callInactiveEntryPoints() {
    rgb24 colours[16] = {};
    uint8_t plane[128 * 32] = {};
    uint16_t segments[128] = {};
    tPMoptions options{};
    gameSettings_("game01", 2, &options);
    palette4_(colours[0], colours[1], colours[2], colours[3]);
    palette16_(colours);
    shades4_(128, 32, plane);
    shades16_(128, 32, plane);
    alphanumeric_(LAYOUT_NONE, segments, segments);
    consoleData_(7);
}

void PluginHost::unload() {
    if (module_ != nullptr) FreeLibrary(module_);
    module_ = nullptr;
}

void pumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

}  // namespace zelk::wine
