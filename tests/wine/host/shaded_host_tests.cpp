// A PinMAME-style host (SHADEDHOST=1) playing from a thread without COM, and
// the plug-in passing every call on to another DMD driver (FORWARD): a pack
// made from a recording as its maker would, refused forwarding, neither key.
#include <algorithm>
#include <cctype>

#include "core/bmp_reader.h"
#include "plugin_host.h"
#include "test_support.h"

namespace zelk::wine {
namespace {

using Lines = std::vector<std::string>;

const std::string shaded = "[SETTINGS]\r\nSHADEDHOST=1\r\n";
const std::string errorHead = "ERROR forwarding, forwarding off: ";

// The marker outline one dot around the block, which makes the block the
// picture's region.
void outlineBlock(Bitmap24& picture) {
    for (int y = shadedBlockTop - 1; y <= shadedBlockBottom; ++y) {
        for (int x = shadedBlockLeft - 1; x <= shadedBlockRight; ++x) {
            if (y >= shadedBlockTop && y < shadedBlockBottom && x >= shadedBlockLeft && x < shadedBlockRight) continue;
            uint8_t* dot = picture.row(y) + x * 3;
            dot[0] = dot[2] = 253;
            dot[1] = 0;
        }
    }
}

class ShadedHostTest : public WineTest {
protected:
    // The stand-in player, registered, with the given trigger 1 for game01.
    void setUpPlayer(const Bitmap24& trigger) {
        player_ = folder_ / L"player";
        registerPlayer(makePlayerFolder(player_, "game01", 0).wstring());
        writePicture(player_ / L"ZelkVideos" / L"game01" / L"ZelkCapture" / L"1.bmp", trigger);
    }
    // The plug-in under the PinMAME-style name in folder_\name, with the
    // recording stand-in driver beside it.
    fs::path plugin(const wchar_t* name, const std::string& ini) {
        const fs::path library = makePluginFolder(folder_ / name, ini, shadedHostLibraryName);
        fs::copy_file(testProgramFolder() / L"recording_dmddevice.dll", folder_ / name / L"recording_dmddevice.dll");
        return library;
    }
    // Plays game01 with the plug-in in folder_\name; the player's new calls.
    Lines play(const wchar_t* name, const std::string& ini) {
        const size_t before = playerCalls(player_).size();
        playShadedGame(plugin(name, ini), "game01");
        const Lines calls = playerCalls(player_);
        return Lines(calls.begin() + static_cast<long>(std::min(before, calls.size())), calls.end());
    }

    fs::path player_;
};

// Record, cut out a screen with zelkdmd.exe, mark a region on it, and play
// again forwarding to the recording stand-in.
TEST_F(ShadedHostTest, PackFromARecordingTriggersAndEveryCallIsForwarded) {
    playShadedGame(plugin(L"record", shaded + "RECORD=1\r\n"), "game01");
    std::vector<fs::path> recordings;
    for (const auto& entry : fs::directory_iterator(folder_ / L"record" / L"ZelkRecord")) recordings.push_back(entry);
    ASSERT_EQ(recordings.size(), 1u);
    const fs::path shots = folder_ / L"shots";
    ASSERT_EQ(runProgram(testProgramFolder() / L"zelkdmd.exe",
                         L"frames \"" + recordings[0].wstring() + L"\" --out \"" + shots.wstring() + L"\""),
              0);
    const std::string bmp = readFile(shots / L"000006.bmp");  // the first frame with the block
    Bitmap24 screen = readBmp({reinterpret_cast<const uint8_t*>(bmp.data()), bmp.size()}, "000006.bmp");
    outlineBlock(screen);
    setUpPlayer(screen);

    Lines expected = playShadedGame(plugin(L"play", shaded + "FORWARD=recording_dmddevice.dll\r\n"), "game01");
    EXPECT_EQ(playerCalls(player_), Lines{"B2SData|D1|1"});
    expected.insert(expected.begin(), "loaded");
    EXPECT_EQ(fileLines(folder_ / L"play" / L"dmddevice_record.txt"), expected);
    const Lines log = logMessages(folder_ / L"play");
    for (const std::string& line : {"Forwarding to " + utf8(folder_ / L"play" / L"recording_dmddevice.dll"),
                                    std::string("Set Game Name thread game01"), std::string("Start Thread Matching")}) {
        EXPECT_EQ(std::count(log.begin(), log.end(), line), 1) << line;
    }
}

// A library that cannot be loaded, and the plug-in itself under any name:
// one log line, and then everything as without FORWARD.
TEST_F(ShadedHostTest, RefusedForwardingLeavesOneLogLineAndChangesNothingElse) {
    Bitmap24 trigger(dmdWidth, dmdHeight);
    for (int y = shadedBlockTop; y < shadedBlockBottom; ++y) {
        std::fill(trigger.row(y) + shadedBlockLeft * 3, trigger.row(y) + shadedBlockRight * 3, uint8_t{255});
    }
    outlineBlock(trigger);
    setUpPlayer(trigger);
    const Lines calls = play(L"plain", shaded);
    EXPECT_EQ(calls, Lines{"B2SData|D1|1"});
    const Lines log = logMessages(folder_ / L"plain");
    const std::string self = utf8(shadedHostLibraryName);
    std::string upper = self;
    for (char& letter : upper) letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    const struct {
        const wchar_t* folder;
        std::string forward;
        std::string error;  // after "<full path>"; a system's reason follows ": "
    } cases[] = {
        {L"missing", "missing.dll", ": "},
        {L"bitness", utf8(testProgramFolder() / L"other_bitness" / L"recording_dmddevice.dll"), ": "},
        {L"self", self, " is this plug-in itself"},
        {L"other_name", ".\\" + upper, " is this plug-in itself"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.forward);
        EXPECT_EQ(play(c.folder, shaded + "FORWARD=" + c.forward + "\r\n"), calls);
        Lines withError = logMessages(folder_ / c.folder);
        const auto error = std::find_if(withError.begin(), withError.end(),
                                        [](const std::string& line) { return line.starts_with(errorHead); });
        ASSERT_NE(error, withError.end());
        const std::string head = errorHead + utf8(folder_ / c.folder / pathFromUtf8(c.forward)) + c.error;
        EXPECT_TRUE(error->starts_with(head) && (c.error != ": " || error->size() > head.size())) << *error;
        EXPECT_EQ(error->find("%1"), std::string::npos) << *error;  // the loader's text names the file
        withError.erase(error);
        EXPECT_EQ(withError, log);
    }
}

// Two plug-ins forwarding to each other: a call that comes back is not
// passed on again, so the host's calls end.
TEST_F(ShadedHostTest, TwoPlugInsForwardingToEachOtherEndTheLoop) {
    const fs::path a = folder_ / L"a" / shadedHostLibraryName, b = folder_ / L"b" / shadedHostLibraryName;
    plugin(L"b", "[SETTINGS]\r\nFORWARD=" + utf8(a) + "\r\n");
    playShadedGame(plugin(L"a", "[SETTINGS]\r\nFORWARD=" + utf8(b) + "\r\n"), "game01");
    for (const auto& [self, other] : {std::pair{a, b}, std::pair{b, a}}) {
        const Lines log = logMessages(self.parent_path());
        EXPECT_NE(std::find(log.begin(), log.end(), "Forwarding to " + utf8(other)), log.end()) << utf8(self);
    }
}

TEST_F(ShadedHostTest, NeitherKeyLeavesAPinMameStyleHostWithoutGameStart) {
    playShadedGame(plugin(L"plain", ""), "game01");
    EXPECT_EQ(logMessages(folder_ / L"plain"), Lines{"Open called"});
}

}  // namespace
}  // namespace zelk::wine
