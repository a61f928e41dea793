// The recording format: what the encoder writes reads back frame for frame,
// a file cut anywhere gives its complete records and says so, and broken
// files are refused by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dmd_recording.h"
#include "core/error.h"

namespace zelk {
namespace {

// Frames of 2x1 dots named by a letter, every byte that letter.
constexpr uint16_t kWidth = 2, kHeight = 1;

std::string encode(const std::string& letters) {
    recording::Encoder encoder(kWidth, kHeight, {7, 5});
    for (const char letter : letters) {
        const std::vector<uint8_t> frame(encoder.frameBytes(), static_cast<uint8_t>(letter));
        if (encoder.repeatsLast(frame.data())) {
            encoder.addRepeat();
        } else {
            encoder.addFrame(frame.data());
        }
    }
    encoder.closeRun();
    return encoder.output();
}

struct ReadBack {
    std::string letters;
    bool cut = false;
    std::optional<recording::MatchStart> start;
};

ReadBack readBack(const std::string& bytes) {
    recording::SpanSource source({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    recording::Reader reader(source, "test.zdr");
    ReadBack out;
    while (const uint8_t* rgb = reader.next()) out.letters += static_cast<char>(rgb[0]);
    out.cut = reader.cut();
    out.start = reader.matchStart();
    return out;
}

TEST(Recording, FramesComeBackWithEveryRepeatCounted) {
    for (const std::string letters : {"", "A", "AAAA", "ABAB", "AAABBA", "ABBBBBBBBBC"}) {
        const std::string bytes = encode(letters);
        EXPECT_EQ(readBack(bytes).letters, letters);
        EXPECT_FALSE(readBack(bytes).cut) << letters;
        EXPECT_EQ(readBack(bytes).start, (recording::MatchStart{7, 5}));
    }
    // Version 1: a 12-byte header without the matching's start.
    const std::string version1 = "ZDR\x1a\x01" + encode("ABB").substr(5, 7) + encode("ABB").substr(20);
    EXPECT_EQ(readBack(version1).letters, "ABB");
    EXPECT_FALSE(readBack(version1).start);
    // Runs are stored once: "AAAA" is the header, one frame and one repeat.
    EXPECT_EQ(encode("AAAA").size(), recording::kHeaderBytes + 1 + 6 + recording::kRepeatRecordBytes);
}

// A host that dies mid-write leaves a prefix of the file: every complete
// record counts, and the reader says the file was cut unless it ends between
// records.
TEST(Recording, ACutFileGivesItsCompleteRecords) {
    const std::string bytes = encode("AAB");  // header 20, F 7 (to 27), R 5 (to 32), F 7 (to 39)
    const struct {
        size_t length;
        std::string letters;
        bool cut;
    } cases[] = {{20, "", false}, {21, "", true}, {26, "", true}, {27, "A", false}, {31, "A", true},
                 {32, "AA", false}, {38, "AA", true}, {39, "AAB", false}};
    for (const auto& c : cases) {
        const ReadBack got = readBack(bytes.substr(0, c.length));
        EXPECT_EQ(got.letters, c.letters) << c.length;
        EXPECT_EQ(got.cut, c.cut) << c.length;
    }
}

TEST(Recording, BrokenFilesAreRefusedByName) {
    const std::string good = encode("AB");
    const std::string header = good.substr(0, recording::kHeaderBytes);
    auto withField = [&](size_t at, uint16_t value) {
        std::string out = good;
        out[at] = static_cast<char>(value & 0xFF);
        out[at + 1] = static_cast<char>(value >> 8);
        return out;
    };
    const struct {
        std::string bytes;
        const char* why;
    } cases[] = {
        {"", "is not a frame recording"},
        {"BM" + good.substr(2), "is not a frame recording"},
        {header.substr(0, 11), "ends inside its header"},
        {header.substr(0, 19), "ends inside its header"},
        {withField(4, 3), "has recording version 3, not 1 or 2"},
        {withField(6, 0), "has frames of 0x1"},
        {withField(8, 4097), "has frames of 2x4097"},
        {header + "R\x01\x00\x00\x00" + good.substr(20), "repeats a frame before its first frame"},
        {good + std::string("R\0\0\0\0", 5), "has a repeat of 0 frames at offset 34"},
        {good + "X", "has an unknown record (byte 88) at offset 34"},
    };
    for (const auto& c : cases) {
        try {
            readBack(c.bytes);
            ADD_FAILURE() << "accepted: " << c.why;
        } catch (const Error& e) {
            EXPECT_EQ(e.className(), "ERecordingError");
            EXPECT_NE(std::string(e.what()).find("Recording \"test.zdr\" " + std::string(c.why)), std::string::npos)
                << e.what();
        }
    }
}

}  // namespace
}  // namespace zelk
