// The built shared library as a host sees it: loaded with dlopen from a
// folder of its own, so its log and settings land there, and called through
// the exported C entry points.
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <thread>

#include "dmddevice_table.h"
#include "device/fake_platform.h"

namespace {

using zelk::test::TempDir;
using Lines = std::vector<std::string>;

// The entry points, looked up by their plain names.
struct Plugin {
    void* handle = nullptr;
    zelk::DmdDeviceTable d;

    explicit Plugin(const std::string& path) {
        handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) throw std::runtime_error(::dlerror());
        d.bind([this](const char* name) { return ::dlsym(handle, name); });
    }
    ~Plugin() { ::dlclose(handle); }
    bool open() const { return d.Open(); }
    bool close() const { return d.Close(); }
    void setGameName(const char* name, int length) const { d.SetGameName(name, length); }
    void render(uint16_t width, uint16_t height, const rgb24* frame) const { d.Render_RGB24(width, height, frame); }
    void frame(const std::vector<std::string>& art) const {
        const std::vector<uint8_t> rgb = zelk::test::frameFromArt(art);
        render(static_cast<uint16_t>(art[0].size()), static_cast<uint16_t>(art.size()),
               reinterpret_cast<const rgb24*>(rgb.data()));
    }
};

// A copy of the library in a fresh folder, with a trigger folder and a player file.
struct Installed {
    TempDir dir;
    std::string library = dir.path() + "dmddeviceZelk.so";
    Installed() {
        std::filesystem::copy_file(ZELK_PLUGIN_PATH, library);
        ::setenv("ZELK_MEDIA_ROOT", (dir.path() + "media").c_str(), 1);
        ::setenv("ZELK_PLAYER_LOG", (dir.path() + "player.txt").c_str(), 1);
    }
    ~Installed() {
        ::unsetenv("ZELK_MEDIA_ROOT");
        ::unsetenv("ZELK_PLAYER_LOG");
    }
    Lines log() const { return zelk::test::logMessages(zelk::test::readText(dir.path() + "ZELKLOG.txt")); }
    std::string player() const { return zelk::test::readText(dir.path() + "player.txt"); }
    void trigger(const std::string& game, int n, const std::vector<std::string>& art) {
        zelk::test::writeBytes(dir.path() + "media/" + game + "/ZelkCapture/" + std::to_string(n) + ".bmp",
                               zelk::writeBmp24(zelk::test::pictureFromArt(art)));
    }
};

const std::vector<std::string> kLogo = {"........", ".##..#..", ".#.#.#..", "........"};
const std::vector<std::string> kBlank = {"........", "........", "........", "........"};

// FORWARD through the system's loader: a DMD device library gets the calls;
// a missing file and the plug-in itself (by its own name) are refused.
TEST(PluginLibrary, ForwardingThroughTheSystemLoader) {
    const struct {
        std::string forward, line;  // line: the log's second line starts with it ("<dir>" stands for the folder)
    } cases[] = {{ZELK_FAKE_DEVICE_PATH, "Forwarding to " ZELK_FAKE_DEVICE_PATH},
                 {"missing.so", "ERROR forwarding, forwarding off: <dir>missing.so: "},
                 {"dmddeviceZelk.so", "ERROR forwarding, forwarding off: <dir>dmddeviceZelk.so is this plug-in itself"}};
    for (const auto& c : cases) {
        Installed installed;
        std::ofstream(installed.dir.path() + "dmddevicezelk.ini") << "[SETTINGS]\nFORWARD=" << c.forward << "\n";
        Plugin plugin(installed.library);
        plugin.open();
        plugin.close();
        std::string line = c.line;
        if (line.find("<dir>") != std::string::npos) line.replace(line.find("<dir>"), 5, installed.dir.path());
        const Lines log = installed.log();
        ASSERT_EQ(log.size(), 2u) << c.forward;
        EXPECT_TRUE(log[1].starts_with(line)) << log[1];
    }
    // The first case's library got Open and Close.
    void* fake = ::dlopen(ZELK_FAKE_DEVICE_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(fake, nullptr);
    const auto fakeLog = reinterpret_cast<const char* (*)()>(::dlsym(fake, "FakeDmd_Log"));
    EXPECT_EQ(std::string(fakeLog()), "Open;Close;");
    ::dlclose(fake);
}

TEST(PluginLibrary, ExportsEveryEntryPointUnmangled) {
    Installed installed;
    Plugin plugin(installed.library);
    for (size_t i = 0; i < zelk::kDmdEntryCount; ++i)
        EXPECT_TRUE(plugin.d.has(static_cast<zelk::DmdEntry>(i))) << zelk::kDmdEntryNames[i];
}

TEST(PluginLibrary, FramesInTriggersOut) {
    Installed installed;
    installed.trigger("game01", 1, kLogo);
    std::ofstream(installed.dir.path() + "dmddevicezelk.ini") << "[SETTINGS]\r\nMATCHRESET=2\r\n";
    Plugin plugin(installed.library);
    EXPECT_TRUE(plugin.open());
    const std::string name = "VANTOR\\game01";
    plugin.setGameName(name.c_str(), static_cast<int>(name.size()));
    for (int i = 0; i < 4; ++i) plugin.frame(kLogo);  // sent on the 1st, re-armed on the 3rd
    plugin.frame(kBlank);
    EXPECT_TRUE(plugin.close());
    EXPECT_EQ(installed.player(), "B2SInit game01\nB2SData D1 1\nB2SData D1 1\n");
    EXPECT_EQ(installed.log(),
              (Lines{"Open called", "Set Game Name thread game01", "Set B2S init", "Start Thread Matching",
                     "create ZelkCap", "Init Game name:game01", "Create Object Display",
                     "imagedir:" + installed.dir.path() + "media/game01/ZelkCapture", "num images 1",
                     "Free Object Display"}));
}

TEST(PluginLibrary, InactiveEntryPointsDoNothing) {
    Installed installed;
    Plugin plugin(installed.library);
    const rgb24 colour{1, 2, 3};
    const rgb24 palette[16] = {};
    const uint8_t shades[128 * 32] = {};
    const uint16_t segments[128] = {};
    const tPMoptions options = {};
    plugin.d.PM_GameSettings("x", 0, &options);
    plugin.d.PM_GameSettings(nullptr, ~0ull, nullptr);
    plugin.d.Set_4_Colors_Palette(colour, colour, colour, colour);
    plugin.d.Set_16_Colors_Palette(palette);
    plugin.d.Set_16_Colors_Palette(nullptr);
    plugin.d.Render_4_Shades(128, 32, shades);
    plugin.d.Render_16_Shades(65535, 65535, nullptr);
    plugin.d.Render_PM_Alphanumeric_Frame(LAYOUT_NONE, segments,
                                                                                         nullptr);
    plugin.d.Console_Data(42);
    plugin.d.Console_Input_Ptr(nullptr);
    plugin.d.Render_4_Shades_with_Raw(128, 32, shades, 3, nullptr);
    plugin.d.Render_16_Shades_with_Raw(65535, 65535, nullptr, ~0u, nullptr);
    plugin.d.Render_Lum_And_Raw(65535, 65535, nullptr, nullptr, ~0u, nullptr);
    plugin.d.Render_FloatLum_And_Raw(128, 32, nullptr, shades, 4);
    plugin.d.Render_PM_Alphanumeric_Dim_Frame(static_cast<layout_t>(31), segments, nullptr, nullptr);
    EXPECT_FALSE(std::filesystem::exists(installed.dir.path() + "ZELKLOG.txt"));
    EXPECT_TRUE(plugin.open());
    plugin.d.Console_Data(42);
    EXPECT_EQ(installed.log(), (Lines{"Open called"}));
}

TEST(PluginLibrary, SurvivesALostLogAndHostileCalls) {
    Installed installed;
    installed.trigger("g", 1, kLogo);
    Plugin plugin(installed.library);
    plugin.open();
    std::filesystem::remove(installed.dir.path() + "ZELKLOG.txt");
    plugin.setGameName("g", 1);
    plugin.setGameName(nullptr, 50);
    plugin.setGameName("g", 1);
    plugin.frame(kLogo);
    plugin.render(0, 0, nullptr);
    plugin.render(65535, 65535, nullptr);
    plugin.render(8, 4, nullptr);
    const std::vector<uint8_t> small(3, 0xFF);
    plugin.render(1, 1, reinterpret_cast<const rgb24*>(small.data()));
    EXPECT_TRUE(plugin.close());
    EXPECT_TRUE(plugin.close());
    EXPECT_EQ(installed.player(), "B2SData D1 1\n");
    EXPECT_FALSE(std::filesystem::exists(installed.dir.path() + "ZELKLOG.txt"));
}

// Recorded with RECORD=1, then replayed by zelkdmd: the same triggers on the
// same frames as the live run, repeats counted as frames, also for the second
// game of a session, which meets the frame counter where the first left it.
TEST(PluginLibrary, ARecordingReplaysToTheLiveTriggers) {
    Installed installed;
    installed.trigger("game01", 1, kLogo);
    installed.trigger("game02", 1, kLogo);
    std::ofstream(installed.dir.path() + "dmddevicezelk.ini") << "[SETTINGS]\r\nMATCHRESET=5\r\nRECORD=1\r\n";
    std::map<std::string, std::string> live;
    {
        Plugin plugin(installed.library);
        plugin.open();
        for (const auto& [game, frames] : {std::pair<std::string, std::string>{"game01", "BLLLLLBBL"},
                                           {"game02", "LLLLLLLLLLLLB"}}) {
            plugin.setGameName(game.c_str(), static_cast<int>(game.size()));
            for (size_t n = 1; n <= frames.size(); ++n) {
                const size_t sent = installed.player().size();
                plugin.frame(frames[n - 1] == 'L' ? kLogo : kBlank);
                if (installed.player().size() > sent) live[game] += std::to_string(n) + " D1\n";
            }
        }
        // Close writes the buffer. (The unload would too, but this library
        // is never unloaded by dlclose: its C++ runtime has GNU unique
        // symbols; the Windows tests unload theirs.)
        plugin.close();
    }
    ASSERT_EQ(live["game01"], "2 D1\n6 D1\n");
    ASSERT_EQ(live["game02"], "1 D1\n3 D1\n9 D1\n");
    const std::filesystem::directory_iterator recordings(installed.dir.path() + "ZelkRecord");
    ASSERT_EQ(std::distance(recordings, std::filesystem::directory_iterator()), 2);
    for (const auto& entry : std::filesystem::directory_iterator(installed.dir.path() + "ZelkRecord")) {
        const std::string game = entry.path().filename().string().substr(0, 6);
        const std::string command = std::string(ZELK_ZELKDMD_PATH) + " replay --media-root '" + installed.dir.path() +
                                    "media' --game " + game + " '" + entry.path().string() + "'";
        std::FILE* replay = ::popen(command.c_str(), "r");
        ASSERT_NE(replay, nullptr);
        std::string replayed;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, replay) != nullptr) replayed += buffer;
        EXPECT_EQ(::pclose(replay), 0);
        EXPECT_EQ(replayed, live[game]) << entry.path();
    }
}

// A FIFO under the name of the settings, the log or a trigger picture: each
// is refused at once (never waited on for a writer or a reader) and treated
// like any unreadable file.
TEST(PluginLibrary, PipesUnderItsFileNamesNeverBlockTheHost) {
    Installed installed;
    installed.trigger("g", 2, kLogo);
    std::filesystem::create_directories(installed.dir.path() + "media/g/ZelkCapture");
    const std::string picture = installed.dir.path() + "media/g/ZelkCapture/1.bmp";
    const std::string settings = installed.dir.path() + "dmddevicezelk.ini";
    ASSERT_EQ(::mkfifo(picture.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
    Plugin plugin(installed.library);
    EXPECT_TRUE(plugin.open());
    plugin.setGameName("g", 1);
    plugin.frame(kLogo);
    const Lines log = installed.log();
    EXPECT_EQ(log, (Lines{"Open called", "Set Game Name thread g", "Start Thread Matching", "create ZelkCap",
                          "Init Game name:g", "Create Object Display",
                          "imagedir:" + installed.dir.path() + "media/g/ZelkCapture", "ERROR starting game g",
                          "****Exception class name = EFOpenError",
                          "****Exception message = Cannot open file \"" + picture +
                              "\". It is not a regular file (a pipe, device or socket)."}));

    const std::string logFile = installed.dir.path() + "ZELKLOG.txt";
    std::filesystem::remove(logFile);
    ASSERT_EQ(::mkfifo(logFile.c_str(), 0600), 0);
    EXPECT_TRUE(plugin.open());  // the log cannot be written: the line is dropped
    EXPECT_TRUE(plugin.close());
}

zelk::DmdDeviceTable entriesOf(const Plugin& plugin) {
    zelk::DmdDeviceTable entries;
    entries.bind([&](const char* name) { return ::dlsym(plugin.handle, name); });
    return entries;
}

// A call after the driver is gone (another library's exit code closing its
// device after this one was told to go) does nothing, and the process ends
// cleanly; the sanitizer builds see any use of the freed driver.
TEST(PluginLibrary, ACallAfterTheDriverIsGoneDoesNothing) {
    Installed installed;
    const pid_t child = ::fork();
    if (child == 0) {
        static decltype(&::Close) close = nullptr;
        std::atexit([] { close(); });  // runs after the driver's destructor
        const Plugin plugin(installed.library);
        close = entriesOf(plugin).Close;
        plugin.open();
        std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Two hosts in one process (PinMAME and a FlexDMD-style renderer that opens
// and names its game from a script thread): every call of both reaches the
// FORWARD driver, whose log is unsynchronised (ThreadSanitizer watches).
TEST(PluginLibrary, TwoHostsOnTheirOwnThreadsAtOnce) {
    Installed installed;
    std::ofstream(installed.dir.path() + "dmddevicezelk.ini")
        << "[SETTINGS]\nSHADEDHOST=1\nFORWARD=" ZELK_FAKE_DEVICE_PATH "\n";
    void* fake = ::dlopen(ZELK_FAKE_DEVICE_PATH, RTLD_NOW);
    reinterpret_cast<void (*)()>(::dlsym(fake, "FakeDmd_Reset"))();
    Plugin plugin(installed.library);
    const auto settings = entriesOf(plugin).PM_GameSettings;
    const auto shades = entriesOf(plugin).Render_16_Shades;
    const tPMoptions options = {};
    constexpr int kFrames = 20000;
    const std::vector<uint8_t> frame(128 * 32 * 3, 3);
    std::thread emulation([&] {
        plugin.open();
        settings("pm", 0, &options);
        for (int i = 0; i < kFrames; ++i) shades(128, 32, frame.data());
    });
    std::thread([&] { plugin.open(), settings("flex", 0, &options); }).join();
    std::thread renderer([&] {
        for (int i = 0; i < kFrames; ++i) plugin.render(128, 32, reinterpret_cast<const rgb24*>(frame.data()));
        plugin.close();
    });
    emulation.join();
    renderer.join();
    std::map<std::string, int> calls;
    std::istringstream log(reinterpret_cast<const char* (*)()>(::dlsym(fake, "FakeDmd_Log"))());
    for (std::string call; std::getline(log, call, ';');) ++calls[call.substr(0, call.find('('))];
    EXPECT_EQ(calls, (std::map<std::string, int>{
                         {"Open", 2}, {"PM_GameSettings", 2}, {"Render_16_Shades", kFrames}, {"Render_RGB24", kFrames}, {"Close", 1}}));
    ::dlclose(fake);
}

// Two copies forwarding to each other (SHADEDHOST=1 in both): a call that
// comes back to a copy on its own thread ends there, so each copy does its
// work once per host call; and two hosts entering the loop at both copies at
// once do not hang.
TEST(PluginLibrary, TwoCopiesForwardingToEachOther) {
    Installed installed;
    installed.trigger("g", 1, kLogo);
    const std::string a = installed.library, b = installed.dir.path() + "b/dmddeviceZelk.so";
    std::filesystem::create_directories(installed.dir.path() + "b");
    std::filesystem::copy_file(a, b);
    std::ofstream(installed.dir.path() + "dmddevicezelk.ini") << "[SETTINGS]\nSHADEDHOST=1\nMATCHRESET=2\nFORWARD=" << b;
    std::ofstream(installed.dir.path() + "b/dmddevicezelk.ini") << "[SETTINGS]\nSHADEDHOST=1\nMATCHRESET=2\nFORWARD=" << a;
    Plugin first(a), second(b);
    first.open();
    first.setGameName("g", 1);
    for (int i = 0; i < 4; ++i) first.frame(kLogo);  // each copy sends on the 1st and the 3rd
    EXPECT_EQ(installed.player(), "B2SData D1 1\nB2SData D1 1\nB2SData D1 1\nB2SData D1 1\n");
    for (const std::string folder : {"", "b/"}) {
        const Lines log = zelk::test::logMessages(zelk::test::readText(installed.dir.path() + folder + "ZELKLOG.txt"));
        EXPECT_EQ(std::count(log.begin(), log.end(), "Set Game Name thread g"), 1) << folder;
    }
    // Open reads the settings before it passes the call on: the two calls
    // nearly always meet, each holding its own copy's lock.
    std::thread other([&] {
        for (int i = 0; i < 3; ++i) second.open();
    });
    for (int i = 0; i < 3; ++i) first.open();
    other.join();
}

}  // namespace
