// The plug-in's POSIX services and their own rules: text, the log file's
// create/append semantics, settings, file reads, the player stand-in.
#include <gtest/gtest.h>

#include "device/fake_platform.h"

namespace {

using zelk::test::TempDir;

// The host's services, as the shared library uses them.
struct PosixPlatform {
    zelk::device::Platform services = zelk::device::hostPlatform();
    std::string ansiToUtf8(const char* bytes, size_t count) { return services.clockAndText.ansiToUtf8(bytes, count); }
    std::string upperCase(const std::string& text) { return services.clockAndText.upperCase(text); }
    std::string timeSeparator() { return services.clockAndText.timeSeparator(); }
    char pathSeparator() { return services.files.pathSeparator(); }
    std::string pluginFolder() { return services.files.pluginFolder(); }
    void writeLogLine(const std::string& path, const std::string& line, bool fresh) {
        services.files.writeLogLine(path, line, fresh);
    }
    std::optional<std::string> readProfileString(const std::string& file, const std::string& section,
                                                 const std::string& key) {
        return services.settings.readProfileString(file, section, key);
    }
    bool fileExists(const std::string& path) { return services.files.fileExists(path); }
    bool directoryExists(const std::string& path) { return services.files.directoryExists(path); }
    std::vector<uint8_t> readFile(const std::string& path, size_t maxBytes) {
        return services.files.readFile(path, maxBytes);
    }
    std::string findMediaRoot() { return services.playerLink.findMediaRoot(); }
    std::unique_ptr<zelk::device::PlayerDisplay> createPlayerDisplay() {
        return services.playerLink.createPlayerDisplay();
    }
    std::unique_ptr<zelk::device::PreviewWindow> createPreviewWindow() { return services.previewWindows.create({}, {}); }
};

TEST(PosixPlatform, TextRules) {
    PosixPlatform platform;
    EXPECT_EQ(platform.ansiToUtf8("G\xE4me\xFF", 5), "G\xC3\xA4me\xC3\xBF");
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"vantor\\game01", "VANTOR\\GAME01"},
        {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA0\xC3\xBE", "\xC3\x84\xC3\x96\xC3\x9C\xC3\x80\xC3\x9E"},
        {"\xC3\xB7\xC3\x9F\xC3\xBF", "\xC3\xB7\xC3\x9F\xC3\xBF"},  // division sign, sharp s, y diaeresis
        {"\xE2\x82\xAC x", "\xE2\x82\xAC X"},
        {"\xC3", "\xC3"},
    };
    for (const Case& c : cases) EXPECT_EQ(platform.upperCase(c.in), c.out) << c.in;
    EXPECT_EQ(platform.timeSeparator(), ":");
    EXPECT_EQ(platform.pathSeparator(), '/');
}

TEST(PosixPlatform, LogLinesCreateOnlyWhenFresh) {
    TempDir dir;
    PosixPlatform platform;
    const std::string log = dir.path() + "ZELKLOG.txt";
    EXPECT_THROW(platform.writeLogLine(log, "a\r\n", false), zelk::Error) << "append never creates";
    EXPECT_FALSE(std::filesystem::exists(log));
    platform.writeLogLine(log, "a\r\n", true);
    platform.writeLogLine(log, "b\r\n", false);
    EXPECT_EQ(zelk::test::readText(log), "a\r\nb\r\n");
    platform.writeLogLine(log, "c\r\n", true);
    EXPECT_EQ(zelk::test::readText(log), "c\r\n");
    EXPECT_THROW(platform.writeLogLine(dir.path() + "missing/ZELKLOG.txt", "x", true), zelk::Error);
}

TEST(PosixPlatform, FilesAndSettings) {
    TempDir dir;
    PosixPlatform platform;
    zelk::test::writeBytes(dir.path() + "a.ini", {'[', 'S', ']', '\n', 'k', '=', '7'});
    EXPECT_EQ(platform.readProfileString(dir.path() + "a.ini", "s", "K"), "7");
    EXPECT_EQ(platform.readProfileString(dir.path() + "none.ini", "s", "k"), std::nullopt);
    EXPECT_EQ(platform.readProfileString(dir.path(), "s", "k"), std::nullopt);
    EXPECT_TRUE(platform.fileExists(dir.path() + "a.ini"));
    EXPECT_FALSE(platform.fileExists(dir.path()));
    EXPECT_TRUE(platform.directoryExists(dir.path()));
    EXPECT_FALSE(platform.directoryExists(dir.path() + "a.ini"));
    EXPECT_EQ(platform.readFile(dir.path() + "a.ini", 7).size(), 7u);
    try {
        platform.readFile(dir.path() + "a.ini", 6);
        ADD_FAILURE() << "larger than allowed";
    } catch (const zelk::Error& e) {
        EXPECT_NE(std::string(e.what()).find("a.ini"), std::string::npos);
    }
    EXPECT_THROW(platform.readFile(dir.path() + "none", 100), zelk::Error);
    EXPECT_THROW(platform.readFile(dir.path(), 100), zelk::Error);
}

TEST(PosixPlatform, MediaRootAndPreview) {
    PosixPlatform platform;
    ::setenv("ZELK_MEDIA_ROOT", "/some/root", 1);
    EXPECT_EQ(platform.findMediaRoot(), "/some/root/");
    ::setenv("ZELK_MEDIA_ROOT", "", 1);
    EXPECT_EQ(platform.findMediaRoot(), platform.pluginFolder() + "ZelkVideos/");
    ::unsetenv("ZELK_MEDIA_ROOT");
    EXPECT_EQ(platform.pluginFolder().back(), '/');
    EXPECT_EQ(platform.createPreviewWindow(), nullptr);
}

TEST(PosixPlatform, PlayerWritesItsCallsToTheNamedFile) {
    TempDir dir;
    ::setenv("ZELK_PLAYER_LOG", (dir.path() + "player.txt").c_str(), 1);
    PosixPlatform platform;
    auto player = platform.createPlayerDisplay();
    player->B2SInit(u"", u"game01");
    player->B2SData(u"D12", 1);
    EXPECT_EQ(zelk::test::readText(dir.path() + "player.txt"), "B2SInit game01\nB2SData D12 1\n");
    ::setenv("ZELK_PLAYER_LOG", (dir.path() + "no/such/folder").c_str(), 1);
    auto unreachable = platform.createPlayerDisplay();
    EXPECT_THROW(unreachable->B2SData(u"D1", 1), zelk::Error);
    ::unsetenv("ZELK_PLAYER_LOG");
}

}  // namespace
