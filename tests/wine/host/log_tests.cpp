// The plug-in's log under the user's regional settings and code page.
#include "plugin_host.h"
#include "test_support.h"

namespace zelk::wine {
namespace {

using Lines = std::vector<std::string>;

TEST_F(WineTest, LogTimeSeparatorFollowsTheRegionalSetting) {
    fs::path plugin = folder_ / L"plugin";
    PluginHost host(makePluginFolder(plugin, ""));
    ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, L"."));
    host.Open();
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, L":");
    host.SetGameName("game01");
    EXPECT_EQ(logMessages(plugin, ".").front(), "Open called");
    EXPECT_EQ(logMessages(plugin, ":").back(), "Set Game Name thread game01");
}

TEST_F(WineTest, LogReplacesTextOutsideTheCodePage) {
    ASSERT_EQ(GetACP(), 1252u) << "the tests pin a Western European code page";
    // The player lies in a folder whose name code page 1252 cannot write.
    fs::path player = folder_ / L"pl\u00e4yer\u65e5";
    registerPlayer(makePlayerFolder(player, "gam\xc3\xa9", 1).wstring());
    fs::path plugin = folder_ / L"plugin";
    PluginHost host(makePluginFolder(plugin, ""));
    host.Open();
    host.SetGameName("gam\xe9");  // the host's name in the ANSI code page
    host.Render_RGB24(dmdWidth, dmdHeight, blackFrame());
    host.Close();

    std::string folderInLog = utf8(folder_) + "\\pl\xe4yer?\\ZelkVideos\\gam\xe9\\ZelkCapture";
    Lines messages = logMessages(plugin);
    ASSERT_GE(messages.size(), 8u);
    EXPECT_EQ(messages[1], "Set Game Name thread gam\xe9");
    EXPECT_EQ(messages[5], "Create Object Display");
    EXPECT_EQ(messages[6], "imagedir:" + folderInLog);
    EXPECT_EQ(messages[7], "num images 1") << "the trigger folder is found under its Unicode name";
}

}  // namespace
}  // namespace zelk::wine
