// Recording (RECORD=1) over the fake platform: what lands in ZelkRecord, that
// the rest of the plug-in behaves as without it, the buffering, the size
// limit and a place that cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/dmd_recording.h"
#include "device/entry/dmd_driver.h"
#include "device/recording/frame_recorder.h"
#include "device/fake_platform.h"

namespace {

using zelk::device::DmdDriver;
using zelk::device::FrameRecorder;
using zelk::test::FakePlatform;
using Lines = std::vector<std::string>;

constexpr uint16_t kWidth = 8, kHeight = 4;
const std::string kStamp = "-20260307-140509";  // the fake clock's time

// A frame of one grey level; the recording gives each back as its level.
std::vector<uint8_t> grey(char level) { return std::vector<uint8_t>(kWidth * kHeight * 3, static_cast<uint8_t>(level)); }

// The levels of every frame of a recording ('T' for the logo, whose first dot
// is dark), and whether it was cut.
std::string levels(const std::string& path) {
    const std::string bytes = zelk::test::readText(path);
    zelk::recording::SpanSource source({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    zelk::recording::Reader reader(source, path);
    std::string out;
    while (const uint8_t* rgb = reader.next()) out += rgb[0] == 0 ? 'T' : static_cast<char>(rgb[0]);
    return reader.cut() ? out + " (cut)" : out;
}

// The log with each session's own temporary folder left out.
Lines withoutFolder(const FakePlatform& platform) {
    Lines log = platform.log();
    for (std::string& line : log) {
        if (const size_t at = line.find(platform.folder()); at != std::string::npos) {
            line.replace(at, platform.folder().size(), "<folder>/");
        }
    }
    return log;
}

std::string recordFolder(const FakePlatform& platform) { return platform.folder() + "ZelkRecord/"; }

// A game with one trigger ('T' shows the logo), played through the driver.
struct Session {
    FakePlatform platform;
    DmdDriver driver{platform};
    explicit Session(const std::string& settings) {
        platform.addTrigger("g", 1, zelk::test::pictureFromArt({"........", ".##..#..", ".#.#.#..", "........"}));
        platform.writeSettings(settings);
        driver.Open();
    }
    void play(const std::string& game, const std::string& frames) {
        driver.SetGameName(game.data(), static_cast<int>(game.size()));
        for (const char level : frames) {
            const std::vector<uint8_t> frame =
                level == 'T' ? zelk::test::frameFromArt({"........", ".##..#..", ".#.#.#..", "........"})
                             : grey(level);
            driver.Render_RGB24(kWidth, kHeight, frame.data());
        }
    }
};

TEST(Recorder, EveryGameStartRecordsEveryFrameAndChangesNothingElse) {
    Session off("[SETTINGS]\nMATCHRESET=2\n");
    Session on("[SETTINGS]\nMATCHRESET=2\nRECORD=1\n");
    for (Session* s : {&off, &on}) {
        s->play("g", "aaTTTTbba");
        s->play("VANTOR\\g", "cc");  // the same second: a name of its own
        s->driver.Close();
    }
    EXPECT_EQ(withoutFolder(on.platform), withoutFolder(off.platform));
    EXPECT_EQ(on.platform.player->calls, off.platform.player->calls);
    EXPECT_EQ(levels(recordFolder(on.platform) + "g" + kStamp + ".zdr"), "aaTTTTbba");
    EXPECT_EQ(levels(recordFolder(on.platform) + "g" + kStamp + "-2.zdr"), "cc");
    EXPECT_FALSE(std::filesystem::exists(recordFolder(off.platform)));
}

// The file is written at the game's first frame (the header), then only when
// the buffer fills and at Close; a long still screen reaches it now and then.
TEST(Recorder, WritesAreBuffered) {
    Session on("[SETTINGS]\nRECORD=1\n");
    on.play("g", std::string(1000, 'a') + "bcbcbcbcbc");
    EXPECT_EQ(on.platform.files.bytesWrites, 1);
    const std::string still(FrameRecorder::kRunWrittenAfter + 1, 'c');
    on.play("", still + "d");  // "" is a game start too
    EXPECT_EQ(on.platform.files.bytesWrites, 4);  // the game before, the header, the run
    on.driver.Close();
    EXPECT_EQ(on.platform.files.bytesWrites, 5);
    EXPECT_EQ(levels(recordFolder(on.platform) + "game" + kStamp + ".zdr"), still + "d");
}

TEST(Recorder, StopsGrowingAtItsLimit) {
    FakePlatform platform;
    zelk::device::PluginState state(platform);
    state.pluginFolder = platform.folder();
    state.logEnabled = true;
    state.record = true;
    state.gameName = "g";
    state.log("Open called", true);
    const uint64_t frameRecord = 1 + grey('a').size();
    // Header, three frame records and a repeat record, and not quite a fourth.
    FrameRecorder recorder(state, zelk::recording::kHeaderBytes + 4 * frameRecord + 5);
    recorder.startGame();
    for (const char level : std::string("abbcdefg")) recorder.take(kWidth, kHeight, grey(level).data());
    recorder.flush();
    const std::string path = recordFolder(platform) + "g" + kStamp + ".zdr";
    EXPECT_EQ(levels(path), "abbc");
    EXPECT_EQ(platform.log(), (Lines{"Open called", "Record size limit reached:" + path}));
}

// A file under the folder's name, or a disk that fills up: one line each
// time, and no retry before the next Open.
TEST(Recorder, APlaceThatCannotBeWrittenTurnsRecordingOff) {
    Session folder("[SETTINGS]\nRECORD=1\n");
    zelk::test::writeBytes(folder.platform.folder() + "ZelkRecord", {1});
    Session disk("[SETTINGS]\nRECORD=1\n");
    disk.play("g", "ab");
    disk.platform.files.failWrites = true;
    for (Session* s : {&folder, &disk}) {
        s->play("g", "ab");
        s->play("g", "ab");
    }
    const struct {
        Session& session;
        std::string line;
    } cases[] = {
        {folder, "ERROR recording, recording off: Cannot create folder \"" + folder.platform.folder() + "ZelkRecord\"."},
        {disk, "ERROR recording, recording off: Cannot write file \"" + recordFolder(disk.platform) + "g" + kStamp +
                   ".zdr\"."},
    };
    for (const auto& c : cases) {
        const Lines log = c.session.platform.log();
        EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.starts_with("ERROR"); }), 1);
        EXPECT_NE(std::find(log.begin(), log.end(), c.line), log.end()) << c.line;
    }
}

TEST(Recorder, FileNamesWindowsAccepts) {
    const zelk::device::LocalTime time{2026, 12, 9, 3, 15, 2};
    EXPECT_EQ(zelk::device::recordingName("a<b>c:d\"e/f\\g|h?i*j\x01k", time), "a_b_c_d_e_f_g_h_i_j_k-20261209-031502");
    EXPECT_EQ(zelk::device::recordingName("", time), "game-20261209-031502");
    // Cut to 64 bytes between characters, never inside one.
    EXPECT_EQ(zelk::device::recordingName(std::string(63, 'x') + "\xC3\xA4", time),
              std::string(63, 'x') + "-20261209-031502");
}

}  // namespace
