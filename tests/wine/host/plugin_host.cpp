#include "plugin_host.h"

#include <stdexcept>
#include <thread>

#include "dmddevice_call_lines.h"
#include "platform/win32/handles.h"
#include "test_support.h"

namespace zelk::wine {
namespace {

HMODULE loadLibrary(const std::filesystem::path& library) {
    HMODULE module = LoadLibraryW(library.c_str());
    if (module == nullptr) throw std::runtime_error("cannot load " + library.string());
    return module;
}

}  // namespace

DmdDeviceTable bindEntryPoints(HMODULE module, std::span<const DmdEntry> required) {
    DmdDeviceTable entries;
    entries.bind([module](const char* name) { return GetProcAddress(module, name); });
    for (const DmdEntry entry : required) {
        if (!entries.has(entry)) throw std::runtime_error(std::string("no entry point ") + dmdEntryName(entry));
    }
    return entries;
}

PluginHost::PluginHost(const std::filesystem::path& library) {
    module_ = loadLibrary(library);
    entries_ = bindEntryPoints(module_, {});
    for (size_t i = 0; i < kDmdEntryCount; ++i) {
        if (!entries_.has(static_cast<DmdEntry>(i))) throw std::runtime_error(std::string("no entry point ") + kDmdEntryNames[i]);
    }
}

PluginHost::~PluginHost() { unload(); }

bool PluginHost::Open() {
    bool result = entries_.Open();
    pumpMessages();
    return result;
}

bool PluginHost::Close() {
    bool result = entries_.Close();
    pumpMessages();
    return result;
}

void PluginHost::SetGameName(const std::string& name) {
    entries_.SetGameName(name.c_str(), static_cast<int>(name.size()));
    pumpMessages(0);
}

void PluginHost::SetGameName(const char* name, int length) {
    entries_.SetGameName(name, length);
    pumpMessages(0);
}

void PluginHost::Render_RGB24(int width, int height, const std::vector<uint8_t>& frame) {
    entries_.Render_RGB24(static_cast<uint16_t>(width), static_cast<uint16_t>(height),
            reinterpret_cast<const rgb24*>(frame.data()));
    pumpMessages(0);
}

void PluginHost::callInactiveEntryPoints() {
    rgb24 colours[16] = {};
    uint8_t plane[128 * 32] = {};
    uint16_t segments[128] = {};
    tPMoptions options{};
    entries_.PM_GameSettings("game01", 2, &options);
    entries_.Set_4_Colors_Palette(colours[0], colours[1], colours[2], colours[3]);
    entries_.Set_16_Colors_Palette(colours);
    entries_.Render_4_Shades(128, 32, plane);
    entries_.Render_16_Shades(128, 32, plane);
    entries_.Render_PM_Alphanumeric_Frame(LAYOUT_NONE, segments, segments);
    entries_.Console_Data(7);
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
    const DmdDeviceTable d = bindEntryPoints(module.get(), kPinMameRequiredEntries);
    constexpr struct {
        int shades, picture;
    } frames[] = {{4, 0}, {4, 0}, {16, 1}, {16, 1}, {4, 1}, {16, 2}, {16, 2}, {4, 2}, {16, 1}, {4, 0}};
    std::vector<std::string> calls;
    auto render = [&](int shades, int picture) {
        const std::vector<uint8_t> dots = shadedFrame(shades, picture);
        (shades == 4 ? d.Render_4_Shades : d.Render_16_Shades)(dmdWidth, dmdHeight, dots.data());
        calls.push_back(callLine(shades == 4 ? "Render_4_Shades" : "Render_16_Shades", dmdWidth, dmdHeight,
                                 Bytes{dots.data(), dots.size()}));
    };
    std::thread game([&] {
        const tPMoptions options{{1, 2, 3, 0, 255, 0, 0, 1}};
        const rgb24 colours[16] = {{1, 2, 3}, {4, 5, 6}, {255, 128, 0}, {7, 8, 9}};
        const uint16_t segments[2][128] = {{0x1234, 0x00ff}, {0x8001}};
        d.Open();
        d.PM_GameSettings(rom.c_str(), 3, &options);
        calls = {"Open", callLine("PM_GameSettings", rom.c_str(), 3, Bytes{&options, sizeof options})};
        // Optional ones are used when there, as such a host does.
        if (d.Set_4_Colors_Palette != nullptr) d.Set_4_Colors_Palette(colours[0], colours[1], colours[2], colours[3]);
        if (d.Set_16_Colors_Palette != nullptr) d.Set_16_Colors_Palette(colours);
        calls.push_back(callLine("Set_4_Colors_Palette", colours[0], colours[1], colours[2], colours[3]));
        calls.push_back(callLine("Set_16_Colors_Palette", Bytes{colours, sizeof colours}));
        for (const auto& frame : frames) {
            render(frame.shades, frame.picture);
            Sleep(16);
        }
        d.Render_PM_Alphanumeric_Frame(LAYOUT_NONE, segments[0], segments[1]);
        if (d.Console_Data != nullptr) d.Console_Data(42);
        calls.push_back(callLine("Render_PM_Alphanumeric_Frame", LAYOUT_NONE, Bytes{segments[0], sizeof segments[0]},
                                 Bytes{segments[1], sizeof segments[1]}));
        calls.push_back(callLine("Console_Data", 42));
        render(4, 0);
        d.Close();
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
