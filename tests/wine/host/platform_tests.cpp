// The Win32 platform of the plug-in, called directly: registration look-up,
// profile strings, the log's encoding and appending, text and locale.
#include <optional>

#include "core/error.h"
#include "device/entry/platform.h"
#include "platform/win32/handles.h"
#include "plugin_host.h"
#include "test_support.h"

namespace zelk::wine {
namespace {

class PlatformTest : public WineTest {
protected:
    device::Platform platform_ = device::hostPlatform();
};

// Restores the user's time separator whatever the test does.
class TimeSeparatorSetting {
public:
    explicit TimeSeparatorSetting(const wchar_t* separator) { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, separator); }
    ~TimeSeparatorSetting() { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, L":"); }
    TimeSeparatorSetting(const TimeSeparatorSetting&) = delete;
    TimeSeparatorSetting& operator=(const TimeSeparatorSetting&) = delete;
};

TEST_F(PlatformTest, MediaRootFollowsThePlayersRegistration) {
    EXPECT_EQ(platform_.playerLink.findMediaRoot(), "");
    EXPECT_FALSE(playerKeyExists()) << "looking for the player must not create its key";

    registerPlayerKeyWithoutValue();
    EXPECT_EQ(platform_.playerLink.findMediaRoot(), "ZelkVideos\\");

    struct Case {
        std::wstring value;
        std::string mediaRoot;
    };
    const Case cases[] = {
        {L"", "ZelkVideos\\"},
        {L"VantorPlayer.exe", "ZelkVideos\\"},
        {L"C:\\Players\\VantorPlayer.exe", "C:\\Players\\ZelkVideos\\"},
        {L"D:VantorPlayer.exe", "D:ZelkVideos\\"},
        // A quoted program: the folder inside the quotes, arguments or not.
        {L"\"C:\\Program Files\\Vantor Player\\VantorPlayer.exe\" /automation",
         "C:\\Program Files\\Vantor Player\\ZelkVideos\\"},
        {L"\"C:\\Program Files\\Vantor Player\\VantorPlayer.exe\"", "C:\\Program Files\\Vantor Player\\ZelkVideos\\"},
        {L"\"VantorPlayer.exe\" /media:C:\\m", "ZelkVideos\\"},
        // Unquoted: everything up to the last separator, arguments and all.
        {L"C:\\P\\VantorPlayer.exe /media:C:\\m", "C:\\P\\VantorPlayer.exe /media:C:\\ZelkVideos\\"},
        {L"C:\\Pl\u00e4yer\u03a9\\VantorPlayer.exe", "C:\\Pl\xc3\xa4yer\xce\xa9\\ZelkVideos\\"},
    };
    for (const Case& c : cases) {
        registerPlayer(c.value);
        EXPECT_EQ(platform_.playerLink.findMediaRoot(), c.mediaRoot) << "registered as " << utf8(fs::path(c.value));
    }
}

// A 32-bit plug-in reads the 32-bit registry view and a 64-bit one the 64-bit
// view; each looks in its own first, then in the other.
TEST_F(PlatformTest, MediaRootFromEitherRegistryView) {
    registerPlayerInTheOtherView(L"\"C:\\Other View\\VantorPlayer.exe\" /automation");
    platform::RegistryKey own;
    const REGSAM ownView = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    ASSERT_NE(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID\\{88919FAC-00B2-4AA8-B1C7-52AD65C476D3}", 0,
                            KEY_READ | ownView, own.receive()),
              ERROR_SUCCESS)
        << "the class is in the other view only";
    EXPECT_EQ(platform_.playerLink.findMediaRoot(), "C:\\Other View\\ZelkVideos\\");
    registerPlayer(L"C:\\Own View\\VantorPlayer.exe");
    EXPECT_EQ(platform_.playerLink.findMediaRoot(), "C:\\Own View\\ZelkVideos\\");
}

TEST_F(PlatformTest, ProfileStringsByTheProfileFileRules) {
    std::string longValue(1000, '7');
    writeFile(folder_ / L"dmddevicezelk.ini", "[Settings]\r\nshowdmd=1\r\nEMPTY=\r\nSpaced =  0x10  \r\nLong=" + longValue +
                       "\r\n[OTHER]\r\nMATCHRESET=5\r\n");
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"SETTINGS", "SHOWDMD", "1"},          {"settings", "ShowDmd", "1"},
        {"SETTINGS", "EMPTY", ""},             {"SETTINGS", "SPACED", "0x10"},
        {"SETTINGS", "LONG", longValue},       {"SETTINGS", "MATCHRESET", std::nullopt},
        {"SETTINGS", "MISSING", std::nullopt}, {"NOSECTION", "SHOWDMD", std::nullopt},
    };
    std::string file = utf8(folder_ / L"dmddevicezelk.ini");
    for (const Case& c : cases) {
        EXPECT_EQ(platform_.settings.readProfileString(file, c.section, c.key), c.value) << c.section << "/" << c.key;
    }
    EXPECT_EQ(platform_.settings.readProfileString(utf8(folder_ / L"none.ini"), "SETTINGS", "SHOWDMD"), std::nullopt);
}

TEST_F(PlatformTest, LogLinesInTheAnsiCodePageAppendedOnlyToAnExistingFile) {
    ASSERT_EQ(GetACP(), 1252u) << "the tests pin a Western European code page";
    std::string log = utf8(folder_ / L"ZELKLOG.txt");

    try {
        platform_.files.writeLogLine(log, "appended\r\n", false);
        ADD_FAILURE() << "appending to a missing log must fail";
    } catch (const Error& error) {
        EXPECT_EQ(error.className(), "EFOpenError");
        EXPECT_NE(std::string(error.what()).find("ZELKLOG.txt"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(fs::exists(folder_ / L"ZELKLOG.txt")) << "appending never creates the log";

    platform_.files.writeLogLine(log, "first\r\n", true);
    platform_.files.writeLogLine(log, "second\r\n", false);
    EXPECT_EQ(readFile(folder_ / L"ZELKLOG.txt"), "first\r\nsecond\r\n");
    platform_.files.writeLogLine(log, "fresh\r\n", true);
    // U+03A9 and U+65E5 are not in code page 1252: replaced by the system's
    // conversion (its best fit, else '?'), not dropped.
    platform_.files.writeLogLine(log, "caf\xc3\xa9 \xce\xa9\xe6\x97\xa5!\r\n", false);
    EXPECT_EQ(readFile(folder_ / L"ZELKLOG.txt"), "fresh\r\ncaf\xe9 O?!\r\n");

    EXPECT_THROW(platform_.files.writeLogLine(utf8(folder_ / L"missing" / L"ZELKLOG.txt"), "x\r\n", true), Error);
}

TEST_F(PlatformTest, HostTextAndUpperCaseByTheLocale) {
    EXPECT_EQ(platform_.clockAndText.ansiToUtf8("\xe9t\xe9", 3), "\xc3\xa9t\xc3\xa9");
    EXPECT_EQ(platform_.clockAndText.ansiToUtf8("a\0b", 3), std::string("a\0b", 3)) << "a zero byte does not end the name";
    EXPECT_EQ(platform_.clockAndText.ansiToUtf8("", 0), "");
    EXPECT_EQ(platform_.clockAndText.upperCase("vantor\\game01"), "VANTOR\\GAME01");
    EXPECT_EQ(platform_.clockAndText.upperCase("\xc3\xa9t\xc3\xa9"), "\xc3\x89T\xc3\x89");
}

TEST_F(PlatformTest, TimeSeparatorFollowsTheRegionalSetting) {
    EXPECT_EQ(platform_.clockAndText.timeSeparator(), ":");
    {
        TimeSeparatorSetting dot(L".");
        EXPECT_EQ(platform_.clockAndText.timeSeparator(), ".");
    }
    EXPECT_EQ(platform_.clockAndText.timeSeparator(), ":");
    device::LocalTime now = platform_.clockAndText.localTime();
    EXPECT_GE(now.year, 2000);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31);
    EXPECT_TRUE(now.hour < 24 && now.minute < 60 && now.second < 61);
}

TEST_F(PlatformTest, FilesUnderUnicodeNamesAndBoundedReads) {
    fs::path folder = folder_ / L"pl\u00e4yer\u03a9";
    writeFile(folder / L"1.bmp", "0123456789");
    std::string utf8Folder = utf8(folder);
    EXPECT_TRUE(platform_.files.directoryExists(utf8Folder));
    EXPECT_FALSE(platform_.files.fileExists(utf8Folder));
    EXPECT_TRUE(platform_.files.fileExists(utf8Folder + "\\1.bmp"));
    EXPECT_FALSE(platform_.files.directoryExists(utf8Folder + "\\1.bmp"));
    EXPECT_FALSE(platform_.files.fileExists(utf8Folder + "\\2.bmp"));
    std::vector<uint8_t> data = platform_.files.readFile(utf8Folder + "\\1.bmp", 10);
    EXPECT_EQ(std::string(data.begin(), data.end()), "0123456789");
    EXPECT_THROW(platform_.files.readFile(utf8Folder + "\\1.bmp", 9), Error);
    EXPECT_THROW(platform_.files.readFile(utf8Folder + "\\2.bmp", 100), Error);
}

// The player link alone: connecting on the first call (not at creation),
// the calls reaching the player's entries 32 and 37 across processes, the
// failures raised with the class name and message the log shows, and the
// reference dropped with the object.
TEST_F(PlatformTest, PlayerDisplayConnectsLazilyAndReachesThePlayer) {
    fs::path player = folder_ / L"player";
    registerPlayer(makePlayerFolder(player, "game01", 0).wstring());
    std::unique_ptr<device::PlayerDisplay> display = platform_.playerLink.createPlayerDisplay();
    pumpMessages(200);
    EXPECT_FALSE(fs::exists(player / L"player_pid.txt")) << "creating the display object does not start the player";

    display->B2SInit(u"", u"game01");
    display->B2SData(u"D7", 1);
    display->B2SData(u"D500", -3);
    EXPECT_EQ(playerCalls(player), (std::vector<std::string>{"B2SInit||game01", "B2SData|D7|1", "B2SData|D500|-3"}));

    writeFile(player / L"player_fail.txt", "");
    try {
        display->B2SData(u"D8", 1);
        ADD_FAILURE() << "a failing call must raise";
    } catch (const Error& error) {
        EXPECT_EQ(error.className(), "EOleSysError");
        EXPECT_TRUE(isComFailure(error.what(), "0x80004005"));
    }
    display.reset();
    EXPECT_TRUE(endPlayers(player, 5000)) << "the player ends once the plug-in lets go of it";
}

// A running entry that does not give the player's interface (a broken or
// stale registration as running): the link starts a new player instead of
// failing on that entry for good.
TEST_F(PlatformTest, PlayerDisplayPassesOverARunningEntryWithoutTheInterface) {
    fs::path registered = folder_ / L"player";
    registerPlayer(makePlayerFolder(registered, "game01", 0).wstring());
    fs::path running = folder_ / L"running";
    ASSERT_TRUE(startRunningPlayer(makePlayerFolder(running, "game01", 0), L"/active-mute"));

    std::unique_ptr<device::PlayerDisplay> display = platform_.playerLink.createPlayerDisplay();
    display->B2SData(u"D1", 1);
    EXPECT_EQ(playerCalls(registered), std::vector<std::string>{"B2SData|D1|1"});
    EXPECT_EQ(playerCalls(running), std::vector<std::string>{"Active"});
    display.reset();
    killPlayers(running);
}

TEST_F(PlatformTest, PlayerDisplayWithoutPlayerRaisesAtEveryCall) {
    std::unique_ptr<device::PlayerDisplay> display = platform_.playerLink.createPlayerDisplay();
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            display->B2SData(u"D1", 1);
            ADD_FAILURE() << "no player registered";
        } catch (const Error& error) {
            EXPECT_EQ(error.className(), "EOleSysError");
            EXPECT_TRUE(isComFailure(error.what(), "0x80040154"));  // REGDB_E_CLASSNOTREG
        }
    }
    // Registered later: the next call connects.
    fs::path player = folder_ / L"player";
    registerPlayer(makePlayerFolder(player, "game01", 0).wstring());
    display->B2SData(u"D1", 1);
    EXPECT_EQ(playerCalls(player), std::vector<std::string>{"B2SData|D1|1"});
}

}  // namespace
}  // namespace zelk::wine
