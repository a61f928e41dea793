#pragma once
// Folders, files, pictures, the stand-in player's registration and the
// plug-in's log, as the Wine tests set them up and read them back.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/bitmap24.h"

namespace zelk::wine {

namespace fs = std::filesystem;

constexpr int dmdWidth = 128;
constexpr int dmdHeight = 32;

fs::path testProgramFolder();
// A path as UTF-8 bytes in a std::string, as the plug-in's interfaces take it.
std::string utf8(const fs::path& path);
fs::path pathFromUtf8(const std::string& text);
void writeFile(const fs::path& path, const std::string& bytes);
std::string readFile(const fs::path& path);  // empty when missing
// The file's lines; one without a line end is marked "<no line end>".
std::vector<std::string> fileLines(const fs::path& path);

// Trigger picture n (1 to 9): a black 128 x 32 picture with one white block
// whose place depends on n. A frame of it matches exactly trigger n.
Bitmap24 triggerPicture(int n);
std::vector<uint8_t> rgbFrame(const Bitmap24& picture);
std::vector<uint8_t> blackFrame();
void writePicture(const fs::path& path, const Bitmap24& picture);  // as a 24-bit BMP
// Writes trigger pictures 1 to count into folder (created as needed).
void writeTriggerImages(const fs::path& folder, int count);

// The stand-in player, copied into folder, with count trigger pictures for
// game under folder\ZelkVideos\game\ZelkCapture. Returns the program's path.
// The x86 tests also have the x86 build's player, "fake_player32.exe".
fs::path makePlayerFolder(const fs::path& folder, const std::string& game, int count,
                          const wchar_t* player = L"fake_player.exe");
// The calls the stand-in player in folder received, one line each.
std::vector<std::string> playerCalls(const fs::path& folder);
// Starts the stand-in player program with the given switches (for example
// "/active") and waits until it has registered itself as running. True when
// it did.
bool startRunningPlayer(const fs::path& program, const std::wstring& switches);
// Waits a little for the stand-in players started from folder to end by
// themselves, then ends the rest. True when all had ended by themselves.
bool endPlayers(const fs::path& folder, DWORD waitMs = 3000);
// Ends the stand-in players started from folder at once.
void killPlayers(const fs::path& folder);

// Player registration under HKEY_CLASSES_ROOT, as the real player has it.
void registerPlayerTypeLibrary();
void registerPlayer(const std::wstring& localServer32);
// In the registry view of programs of the other bitness only (what
// `reg add ... /reg:32` writes when this program is 64-bit).
void registerPlayerInTheOtherView(const std::wstring& localServer32);
void registerPlayerKeyWithoutValue();
void unregisterPlayer();  // from both registry views
bool playerKeyExists();

// A plug-in folder: a copy of the library under the given name and the
// given settings file (none when ini is empty). Returns the library's path.
fs::path makePluginFolder(const fs::path& folder, const std::string& ini,
                          const wchar_t* name = ZELK_PLUGIN_FILE_NAME);

// Runs a program with the given arguments and waits up to a minute for its
// end: its exit status, or -1 when it did not start or end.
int runProgram(const fs::path& program, const std::wstring& arguments);

// The messages of the plug-in's log in folder, each checked for its time
// stamp "YYYYMMDD HH:MM:SS " with the given time separator.
std::vector<std::string> logMessages(const fs::path& folder, const std::string& separator = ":");

// Whether text is the message a failed player call raises for the given
// code: "HRESULT 0x8xxxxxxx", followed by ": " and the system's description
// when the system has one (its wording differs between Windows and Wine).
::testing::AssertionResult isComFailure(const std::string& text, const std::string& code);

// The base of every test that runs the plug-in: a fresh folder per test,
// and nothing of the player left behind afterwards.
class WineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    fs::path folder_;
};

}  // namespace zelk::wine
