#include "plugin_host.h"

#include <stdexcept>
#include <thread>

#include "dmddevice_call_lines.h"
#include "platform/win32/handles.h"
#include "test_support.h"

namespace zelk::wine {
namespace {

template <typename Function>
Function entryPoint(HMODULE module, const char* name, bool required = true) {
    FARPROC address = GetProcAddress(module, name);
    if (address == nullptr && required) throw std::runtime_error(std::string("no entry point ") + name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

HMODULE loadLibrary(const std::filesystem::path& library) {
    HMODULE module = LoadLibraryW(library.c_str());
    if (module == nullptr) throw std::runtime_error("cannot load " + library.string());
    return module;
}

}  // namespace

PluginHost::PluginHost(const std::filesystem::path& library) {
    module_ = loadLibrary(library);
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
    return entryPoint<Function>(module_, name);
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

namespace {

// One byte per dot: 0 dark, 1 a gradient through every shade, 2 that
// gradient with the block in the top shade.
std::vector<uint8_t> shadedFrame(int shades, int picture) {
    std::vector<uint8_t> dots(dmdWidth * dmdHeight, 0);
    for (int y = 0; y < dmdHeight && picture != 0; ++y) {
        for (int x = 0; x < dmdWidth; ++x) {
            const bool block = picture == 2 && x >= shadedBlockLeft && x < shadedBlockRight && y >= shadedBlockTop &&
                               y < shadedBlockBottom;
            dots[y * dmdWidth + x] = static_cast<uint8_t>(block ? shades - 1 : (x + y) % shades);
        }
    }
    return dots;
}

}  // namespace

std::vector<std::string> playShadedGame(const std::filesystem::path& library, const std::string& rom) {
    using dmddevice_calls::Bytes;
    using dmddevice_calls::callLine;
    const platform::LibraryModule module(loadLibrary(library));
    const HMODULE m = module.get();
    auto open = entryPoint<decltype(&::Open)>(m, "Open");
    auto close = entryPoint<decltype(&::Close)>(m, "Close");
    auto gameSettings = entryPoint<decltype(&::PM_GameSettings)>(m, "PM_GameSettings");
    auto shades4 = entryPoint<decltype(&::Render_4_Shades)>(m, "Render_4_Shades");
    auto shades16 = entryPoint<decltype(&::Render_16_Shades)>(m, "Render_16_Shades");
    auto alphanumeric = entryPoint<decltype(&::Render_PM_Alphanumeric_Frame)>(m, "Render_PM_Alphanumeric_Frame");
    constexpr struct {
        int shades, picture;
    } frames[] = {{4, 0}, {4, 0}, {16, 1}, {16, 1}, {4, 1}, {16, 2}, {16, 2}, {4, 2}, {16, 1}, {4, 0}};
    // Looked up as such a host does: used when there.
    auto palette4 = entryPoint<decltype(&::Set_4_Colors_Palette)>(m, "Set_4_Colors_Palette", false);
    auto palette16 = entryPoint<decltype(&::Set_16_Colors_Palette)>(m, "Set_16_Colors_Palette", false);
    auto console = entryPoint<decltype(&::Console_Data)>(m, "Console_Data", false);
    std::vector<std::string> calls;
    auto render = [&](int shades, int picture) {
        const std::vector<uint8_t> dots = shadedFrame(shades, picture);
        (shades == 4 ? shades4 : shades16)(dmdWidth, dmdHeight, dots.data());
        calls.push_back(callLine(shades == 4 ? "Render_4_Shades" : "Render_16_Shades", dmdWidth, dmdHeight,
                                 Bytes{dots.data(), dots.size()}));
    };
    std::thread game([&] {
        const tPMoptions options{{1, 2, 3, 0, 255, 0, 0, 1}};
        const rgb24 colours[16] = {{1, 2, 3}, {4, 5, 6}, {255, 128, 0}, {7, 8, 9}};
        const uint16_t segments[2][128] = {{0x1234, 0x00ff}, {0x8001}};
        open();
        gameSettings(rom.c_str(), 3, &options);
        calls = {"Open", callLine("PM_GameSettings", rom.c_str(), 3, Bytes{&options, sizeof options})};
        if (palette4 != nullptr) palette4(colours[0], colours[1], colours[2], colours[3]);
        if (palette16 != nullptr) palette16(colours);
        calls.push_back(callLine("Set_4_Colors_Palette", colours[0], colours[1], colours[2], colours[3]));
        calls.push_back(callLine("Set_16_Colors_Palette", Bytes{colours, sizeof colours}));
        for (const auto& frame : frames) {
            render(frame.shades, frame.picture);
            Sleep(16);
        }
        alphanumeric(LAYOUT_NONE, segments[0], segments[1]);
        if (console != nullptr) console(42);
        calls.push_back(callLine("Render_PM_Alphanumeric_Frame", LAYOUT_NONE, Bytes{segments[0], sizeof segments[0]},
                                 Bytes{segments[1], sizeof segments[1]}));
        calls.push_back(callLine("Console_Data", 42));
        render(4, 0);
        close();
        calls.push_back("Close");
    });
    game.join();
    return calls;
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
