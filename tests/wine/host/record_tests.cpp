// Recording (RECORD=1) by the real library under Windows file rules.
#include <algorithm>

#include "core/dmd_recording.h"
#include "plugin_host.h"
#include "test_support.h"

namespace zelk::wine {
namespace {

using Lines = std::vector<std::string>;

std::vector<fs::path> recordings(const fs::path& plugin) {
    std::vector<fs::path> found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(plugin / L"ZelkRecord", ignored)) found.push_back(entry.path());
    return found;
}

// A name Windows would refuse as it stands, a still frame and a trigger, and
// a host that lets go of the library without Close.
TEST_F(WineTest, RecordingHoldsEveryFrameUnderAWindowsName) {
    fs::path plugin = folder_ / L"plugin";
    PluginHost host(makePluginFolder(plugin, "[SETTINGS]\r\nRECORD=1\r\n"));
    host.Open();
    host.SetGameName("re<c>|d?*\"");
    for (int i = 0; i < 3; ++i) host.Render_RGB24(dmdWidth, dmdHeight, blackFrame());
    host.Render_RGB24(dmdWidth, dmdHeight, rgbFrame(triggerPicture(2)));
    host.Render_RGB24(dmdWidth, dmdHeight, blackFrame());
    host.unload();  // without Close: unloading writes the buffer

    const std::vector<fs::path> files = recordings(plugin);
    ASSERT_EQ(files.size(), 1u);
    const std::string name = utf8(files[0].filename());
    EXPECT_TRUE(name.starts_with("re_c__d___-") && name.ends_with(".zdr")) << name;
    const std::string bytes = readFile(files[0]);
    recording::SpanSource source({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    recording::Reader reader(source, name);
    std::string shown;
    while (const uint8_t* rgb = reader.next()) {
        shown += std::all_of(rgb, rgb + recording::frameBytes(dmdWidth, dmdHeight), [](uint8_t b) { return b == 0; })
                     ? 'b' : 'T';
    }
    EXPECT_EQ(shown, "bbbTb");
    EXPECT_FALSE(reader.cut());
}

TEST_F(WineTest, RecordingOffWithOneLineWhenItsFolderCannotBeMade) {
    fs::path plugin = folder_ / L"plugin";
    PluginHost host(makePluginFolder(plugin, "[SETTINGS]\r\nRECORD=1\r\n"));
    writeFile(plugin / L"ZelkRecord", "a file, not a folder");
    host.Open();
    for (int game = 0; game < 2; ++game) {
        host.SetGameName("game01");
        host.Render_RGB24(dmdWidth, dmdHeight, blackFrame());
    }
    host.Close();
    const Lines log = logMessages(plugin);
    const std::string line = "ERROR recording, recording off: Cannot create folder \"" + utf8(plugin) + "\\ZelkRecord\". ";
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.starts_with(line); }), 1);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.starts_with("ERROR"); }), 1);
}

}  // namespace
}  // namespace zelk::wine
