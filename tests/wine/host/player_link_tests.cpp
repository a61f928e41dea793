// The plug-in as a host runs it, with the stand-in player registered the way
// the real player is found: game start, triggers, B2SInit, failures and the
// player's registration in its various states.
#include <algorithm>
#include <future>
#include <thread>

#include "plugin_host.h"
#include "test_support.h"

namespace zelk::wine {
namespace {

using Lines = std::vector<std::string>;

class PluginTest : public WineTest {
protected:
    // A registered stand-in player with trigger pictures for game01, and the
    // plug-in in a folder of its own with the given settings.
    void setUpPlayerAndPlugin(int images, const std::string& ini = "", const wchar_t* player = L"fake_player.exe") {
        playerFolder_ = folder_ / L"player";
        registerPlayer(makePlayerFolder(playerFolder_, "game01", images, player).wstring());
        pluginFolder_ = folder_ / L"plugin";
        host_ = std::make_unique<PluginHost>(makePluginFolder(pluginFolder_, ini));
    }

    void show(int trigger) { host_->Render_RGB24(dmdWidth, dmdHeight, rgbFrame(triggerPicture(trigger))); }
    void showBlack() { host_->Render_RGB24(dmdWidth, dmdHeight, blackFrame()); }
    Lines log() { return logMessages(pluginFolder_); }
    std::string captureFolder(const std::string& game) {
        return utf8(playerFolder_ / L"ZelkVideos" / game / L"ZelkCapture");
    }

    fs::path playerFolder_;
    fs::path pluginFolder_;
    std::unique_ptr<PluginHost> host_;
};

// The three lines of one failed trigger send, starting at messages[at].
::testing::AssertionResult failedSendAt(const Lines& messages, size_t at, const std::string& code) {
    if (at + 3 > messages.size()) return ::testing::AssertionFailure() << "the log ends at line " << at;
    if (messages[at] != "ERROR sending b2sdata" || messages[at + 1] != "****Exception class name = EOleSysError") {
        return ::testing::AssertionFailure() << "line " << at << ": " << messages[at] << " / " << messages[at + 1];
    }
    const std::string head = "****Exception message = ";
    if (messages[at + 2].rfind(head, 0) != 0) return ::testing::AssertionFailure() << messages[at + 2];
    return isComFailure(messages[at + 2].substr(head.size()), code);
}

std::vector<size_t> failedSends(const Lines& messages) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < messages.size(); ++i) {
        if (messages[i] == "ERROR sending b2sdata") starts.push_back(i);
    }
    return starts;
}

size_t count(const Lines& lines, const std::string& line) {
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

TEST_F(PluginTest, GameStartTriggersAndCloseEndToEnd) {
    setUpPlayerAndPlugin(2, "[SETTINGS]\r\nMATCHRESET=4\r\n");
    ASSERT_TRUE(host_->Open());
    host_->SetGameName("VANTOR\\game01");
    // Trigger 1 stays for five frames: sent on the first, and again on the
    // fifth, which re-arms it (every MATCHRESET + 1 frames).
    for (int frame = 0; frame < 5; ++frame) show(1);
    show(2);
    showBlack();
    show(2);  // still the last trigger matched: not sent again
    ASSERT_TRUE(host_->Close());

    EXPECT_EQ(playerCalls(playerFolder_),
              (Lines{"B2SInit||game01", "B2SData|D1|1", "B2SData|D1|1", "B2SData|D2|1"}));
    EXPECT_EQ(log(), (Lines{"Open called", "Set Game Name thread game01", "Set B2S init", "Start Thread Matching",
                            "create ZelkCap", "Init Game name:game01", "Create Object Display",
                            "imagedir:" + captureFolder("game01"), "num images 2", "Free Object Display"}));
    EXPECT_TRUE(endPlayers(playerFolder_, 5000)) << "Close lets go of the player, which then ends";

    // After Close the next frame is not matched; a new game start makes a new capture set.
    show(1);
    EXPECT_EQ(playerCalls(playerFolder_).size(), 4u);
}

#ifndef _WIN64
// The x86 tests' player is otherwise the x64 build's: here a 32-bit player
// serves the 32-bit plug-in, as on a 32-bit Windows.
TEST_F(PluginTest, X86PlayerServesTheX86PlugIn) {
    setUpPlayerAndPlugin(1, "", L"fake_player32.exe");
    ASSERT_TRUE(host_->Open());
    host_->SetGameName("VANTOR\\game01");
    show(1);
    ASSERT_TRUE(host_->Close());
    EXPECT_EQ(playerCalls(playerFolder_), (Lines{"B2SInit||game01", "B2SData|D1|1"}));
}
#endif

TEST_F(PluginTest, B2SInitOnlyForNamesBeginningWithVantor) {
    setUpPlayerAndPlugin(1);
    ASSERT_TRUE(host_->Open());
    host_->SetGameName("game01");
    show(1);
    host_->SetGameName("C:\\Tables\\VANTOR\\game01");  // does not begin with it
    showBlack();
    EXPECT_EQ(playerCalls(playerFolder_), (Lines{"B2SData|D1|1"}));

    host_->SetGameName("vantor\\game01");  // upper-cased by the locale, it does
    showBlack();
    host_->SetGameName("game01");  // once asked for, B2SInit comes with every game start
    showBlack();
    EXPECT_EQ(playerCalls(playerFolder_), (Lines{"B2SData|D1|1", "B2SInit||game01", "B2SInit||game01"}));
    Lines messages = log();
    EXPECT_EQ(count(messages, "Set B2S init"), 1u);
    EXPECT_EQ(count(messages, "Create Object Display"), 1u) << "the game starts reuse the player link";
    ASSERT_TRUE(host_->Close());
}

TEST_F(PluginTest, FailingPlayerCallsAreLoggedAndMatchingGoesOn) {
    setUpPlayerAndPlugin(2);
    writeFile(playerFolder_ / L"player_fail.txt", "");
    ASSERT_TRUE(host_->Open());
    host_->SetGameName("VANTOR\\game01");  // B2SInit fails too; it must not reach the host
    show(1);
    show(2);
    show(1);
    ASSERT_TRUE(host_->Close());

    EXPECT_EQ(playerCalls(playerFolder_),
              (Lines{"B2SInit||game01", "B2SData|D1|1", "B2SData|D2|1", "B2SData|D1|1"}));
    Lines messages = log();
    std::vector<size_t> failures = failedSends(messages);
    ASSERT_EQ(failures.size(), 3u) << "one failure per trigger sent";
    for (size_t at : failures) EXPECT_TRUE(failedSendAt(messages, at, "0x80004005"));  // E_FAIL
    // E_FAIL has a description on every system (Wine's differs from Windows'): it must reach the log.
    EXPECT_NE(messages[failures[0] + 2].find("0x80004005: "), std::string::npos) << messages[failures[0] + 2];
    EXPECT_EQ(messages.back(), "Free Object Display");
}

TEST_F(PluginTest, NoPlayerRegisteredSearchesTheCurrentFolder) {
    pluginFolder_ = folder_ / L"plugin";
    host_ = std::make_unique<PluginHost>(makePluginFolder(pluginFolder_, ""));
    writeTriggerImages(folder_ / L"game01" / L"ZelkCapture", 1);  // folder_ is the current folder
    ASSERT_TRUE(host_->Open());
    host_->SetGameName("game01");
    show(1);
    showBlack();
    show(1);  // still the last trigger: not tried again
    Lines expected{"Open called", "Set Game Name thread game01", "Start Thread Matching", "create ZelkCap",
                   "Init Game name:game01", "Create Object Display", "imagedir:game01\\ZelkCapture",
                   "num images 1"};
    Lines messages = log();
    ASSERT_EQ(messages.size(), expected.size() + 3);
    EXPECT_EQ(Lines(messages.begin(), messages.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_TRUE(failedSendAt(messages, expected.size(), "0x80040154"));  // REGDB_E_CLASSNOTREG
    EXPECT_FALSE(playerKeyExists()) << "looking for the player must not create its key";
    ASSERT_TRUE(host_->Close());
}

TEST_F(PluginTest, RegistrationWithoutFolderGivesZelkVideosInTheCurrentFolder) {
    pluginFolder_ = folder_ / L"plugin";
    host_ = std::make_unique<PluginHost>(makePluginFolder(pluginFolder_, ""));
    writeTriggerImages(folder_ / L"ZelkVideos" / L"game01" / L"ZelkCapture", 1);
    writeTriggerImages(folder_ / L"ZelkVideos" / L"game02" / L"ZelkCapture", 1);
    ASSERT_TRUE(host_->Open());

    registerPlayer(L"");  // a value with an empty default
    host_->SetGameName("game01");
    showBlack();
    unregisterPlayer();
    registerPlayerKeyWithoutValue();  // no value at all
    host_->SetGameName("game02");
    showBlack();

    Lines messages = log();
    EXPECT_EQ(count(messages, "imagedir:ZelkVideos\\game01\\ZelkCapture"), 1u);
    EXPECT_EQ(count(messages, "imagedir:ZelkVideos\\game02\\ZelkCapture"), 1u);
    EXPECT_EQ(count(messages, "num images 1"), 2u);
    ASSERT_TRUE(host_->Close());
}

TEST_F(PluginTest, RunningPlayerIsUsedBeforeStartingOne) {
    setUpPlayerAndPlugin(1);
    fs::path running = folder_ / L"running";
    fs::path program = makePlayerFolder(running, "game01", 0);
    ASSERT_TRUE(startRunningPlayer(program, L"/active"));

    ASSERT_TRUE(host_->Open());
    host_->SetGameName("game01");
    show(1);
    ASSERT_TRUE(host_->Close());
    EXPECT_EQ(playerCalls(running), (Lines{"Active", "B2SData|D1|1"}));
    EXPECT_EQ(playerCalls(playerFolder_), Lines{});
    killPlayers(running);
}

// A player that was closed is reached again once it runs anew, rather than
// failing on a dead link until the game's capture set is closed.
TEST_F(PluginTest, PlayerThatWasClosedIsReachedAgain) {
    setUpPlayerAndPlugin(2);
    ASSERT_TRUE(host_->Open());
    host_->SetGameName("game01");
    show(1);
    writeFile(playerFolder_ / L"player_quit.txt", "");
    show(2);
    ASSERT_TRUE(endPlayers(playerFolder_, 5000)) << "the player ends after that call";
    fs::remove(playerFolder_ / L"player_quit.txt");
    show(1);  // fails on the dead link
    show(2);  // connects to a new player
    EXPECT_EQ(playerCalls(playerFolder_), (Lines{"B2SData|D1|1", "B2SData|D2|1", "B2SData|D2|1"}));
    Lines messages = log();
    std::vector<size_t> failures = failedSends(messages);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(messages[failures[0] + 1], "****Exception class name = EOleSysError");
    ASSERT_TRUE(host_->Close());
}

// A host thread without COM is in the implicit MTA while another host thread
// has the MTA; that thread leaving COM must not cut the first one's link.
TEST_F(PluginTest, ThreadWithoutComKeepsThePlayerWhenTheHostsMtaEnds) {
    setUpPlayerAndPlugin(2);
    std::thread([&] {  // never initialises COM
        std::promise<void> mtaUp, sent;
        std::thread mta([&] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            mtaUp.set_value();
            sent.get_future().wait();
            CoUninitialize();
        });
        mtaUp.get_future().wait();
        host_->Open();
        host_->SetGameName("game01");
        show(1);
        sent.set_value();
        mta.join();
        show(2);
        host_->Close();
    }).join();
    EXPECT_EQ(playerCalls(playerFolder_), (Lines{"B2SData|D1|1", "B2SData|D2|1"})) << ::testing::PrintToString(log());
}

TEST_F(PluginTest, NothingIsLoggedBeforeOpenAndInactiveEntryPointsDoNothing) {
    setUpPlayerAndPlugin(1);
    host_->callInactiveEntryPoints();
    host_->SetGameName("VANTOR\\game01");
    show(1);
    EXPECT_FALSE(fs::exists(pluginFolder_ / L"ZELKLOG.txt"));
    EXPECT_EQ(playerCalls(playerFolder_), (Lines{"B2SInit||game01", "B2SData|D1|1"}))
        << "a game start works before Open";
    ASSERT_TRUE(host_->Open());
    host_->callInactiveEntryPoints();
    EXPECT_EQ(log(), Lines{"Open called"});
    ASSERT_TRUE(host_->Close());
    ASSERT_TRUE(host_->Close());
    EXPECT_EQ(log(), (Lines{"Open called", "Free Object Display"}));
}

}  // namespace
}  // namespace zelk::wine
