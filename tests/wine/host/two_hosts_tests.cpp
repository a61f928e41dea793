// Two hosts in one process (PinMAME, and a FlexDMD-style renderer opened and
// named from a script thread, closed from its render thread): every call of
// both reaches the FORWARD driver, and its record keeps whole lines.
#include <map>
#include <thread>

#include "dmddevice_call_lines.h"
#include "plugin_host.h"
#include "test_support.h"

namespace zelk::wine {
namespace {

using dmddevice_calls::Bytes;
using dmddevice_calls::callLine;

TEST_F(WineTest, TwoHostsOnTheirOwnThreadsAtOnce) {
    const fs::path library = makePluginFolder(
        folder_ / L"p", "[SETTINGS]\r\nSHADEDHOST=1\r\nFORWARD=recording_dmddevice.dll\r\n", shadedHostLibraryName);
    fs::copy_file(testProgramFolder() / L"recording_dmddevice.dll", folder_ / L"p" / L"recording_dmddevice.dll");
    const PluginHost host(library);
    const DmdDeviceTable& d = host.entries();
    constexpr int kFrames = 2000;
    const tPMoptions options{};
    const std::vector<uint8_t> shades(8 * 4, 3), rgb(8 * 4 * 3, 200);
    std::thread emulation([&] {
        d.Open();
        d.PM_GameSettings("pm", 3, &options);
        for (int i = 0; i < kFrames; ++i) d.Render_16_Shades(8, 4, shades.data());
    });
    std::thread([&] { d.Open(), d.PM_GameSettings("flex", 0, &options); }).join();
    std::thread renderer([&] {
        for (int i = 0; i < kFrames; ++i) d.Render_RGB24(8, 4, reinterpret_cast<const rgb24*>(rgb.data()));
        d.Close();
    });
    emulation.join();
    renderer.join();
    std::map<std::string, int> calls;
    for (const std::string& line : fileLines(folder_ / L"p" / L"dmddevice_record.txt")) ++calls[line];
    const Bytes noOptions{&options, sizeof options};
    EXPECT_EQ(calls, (std::map<std::string, int>{
                         {"loaded", 1}, {"Open", 2}, {"Close", 1}, {callLine("PM_GameSettings", "pm", 3, noOptions), 1},
                         {callLine("PM_GameSettings", "flex", 0, noOptions), 1},
                         {callLine("Render_16_Shades", 8, 4, Bytes{shades.data(), shades.size()}), kFrames},
                         {callLine("Render_RGB24", 8, 4, Bytes{rgb.data(), rgb.size()}), kFrames}}));
}

}  // namespace
}  // namespace zelk::wine
