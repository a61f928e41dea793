// The Windows services of media playback, and PlayMediaFile on top of them,
// in a real temporary folder: the system's own wildcard search and
// attributes, and the imaging component.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <string>

#include "control/media/halftone.h"
#include "control/timing/manual_timer.h"
#include "control/media/media_player.h"
#include "control/device/recording_device.h"
#include "core/error.h"
#include "control/media/gif_writer.h"

namespace zelk::control {
namespace {

// --- fixtures built in code ---------------------------------------------

uint32_t crc32(const std::vector<uint8_t>& bytes, size_t from) {
    uint32_t crc = 0xffffffffu;
    for (size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char* kind, const std::vector<uint8_t>& body) {
    put32(out, static_cast<uint32_t>(body.size()));
    const size_t start = out.size();
    out.insert(out.end(), kind, kind + 4);
    out.insert(out.end(), body.begin(), body.end());
    put32(out, crc32(out, start));
}

// An 8-bit RGB PNG of one colour, its pixel data in stored (uncompressed) deflate blocks.
std::vector<uint8_t> solidPng(uint32_t width, uint32_t height, uint8_t red, uint8_t green, uint8_t blue) {
    std::vector<uint8_t> raw;
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        for (uint32_t x = 0; x < width; ++x) raw.insert(raw.end(), {red, green, blue});
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    for (size_t at = 0; at < raw.size(); at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        zlib.push_back(at + n == raw.size() ? 1 : 0);
        zlib.insert(zlib.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                                 static_cast<uint8_t>(~n), static_cast<uint8_t>(~n >> 8)});
        zlib.insert(zlib.end(), raw.begin() + static_cast<long>(at), raw.begin() + static_cast<long>(at + n));
    }
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put32(zlib, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<uint8_t> header;
    put32(header, width);
    put32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlib);
    putChunk(png, "IEND", {});
    return png;
}

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"zelk-media-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount64());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::wstring& name : created_) {
            SetFileAttributesW((path_ + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW((path_ + L"\\" + name).c_str())) RemoveDirectoryW((path_ + L"\\" + name).c_str());
        }
        RemoveDirectoryW(path_.c_str());
    }
    // UTF-8 path of the folder, with the trailing "\".
    std::string path() const { return narrow(path_) + "\\"; }

    std::string write(const std::wstring& name, const std::vector<uint8_t>& bytes, DWORD attributes = 0) {
        const std::wstring full = path_ + L"\\" + name;
        HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        if (attributes != 0) SetFileAttributesW(full.c_str(), attributes);
        created_.push_back(name);
        return narrow(full);
    }
    void makeFolder(const std::wstring& name) {
        CreateDirectoryW((path_ + L"\\" + name).c_str(), nullptr);
        created_.push_back(name);
    }

private:
    static std::string narrow(const std::wstring& wide) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
        return out;
    }
    std::wstring path_;
    std::vector<std::wstring> created_;
};

const FoundEntry* entryNamed(const std::vector<FoundEntry>& entries, const std::string& name) {
    for (const FoundEntry& entry : entries) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

// --- the services --------------------------------------------------------------

TEST(FileSystem, SearchReportsAttributesAndMatchesNamesWithoutExtension) {
    TempFolder dir;
    dir.write(L"game.png", {1});
    dir.write(L"GAME.GIF", {1});
    dir.write(L"game", {1});
    dir.write(L"gamer.png", {1});
    dir.write(L"game.h.png", {1}, FILE_ATTRIBUTE_HIDDEN);
    dir.write(L"game.s.png", {1}, FILE_ATTRIBUTE_SYSTEM);
    dir.write(L"game.r.png", {1}, FILE_ATTRIBUTE_READONLY);
    dir.write(L"gam\u00e9.png", {1});
    dir.makeFolder(L"game.d");

    const std::unique_ptr<FileSystem> files = makeFileSystem();
    const std::vector<FoundEntry> found = files->search(dir.path() + "game.*");
    std::vector<std::string> names;
    for (const FoundEntry& entry : found) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"GAME.GIF", "game", "game.d", "game.h.png", "game.png",
                                               "game.r.png", "game.s.png"}));
    EXPECT_TRUE(entryNamed(found, "game.d")->folder);
    EXPECT_TRUE(entryNamed(found, "game.h.png")->hidden);
    EXPECT_TRUE(entryNamed(found, "game.s.png")->system);
    const FoundEntry* readOnly = entryNamed(found, "game.r.png");
    EXPECT_FALSE(readOnly->folder || readOnly->hidden || readOnly->system);

    const std::vector<FoundEntry> accented = files->search(dir.path() + "GAM\xc3\x89.*");
    ASSERT_EQ(accented.size(), 1u);
    EXPECT_EQ(accented[0].name, "gam\xc3\xa9.png");
    EXPECT_TRUE(files->search(dir.path() + "missing\\game.*").empty());
    EXPECT_TRUE(files->search("").empty());
}

TEST(FileSystem, ExistenceAndBoundedReading) {
    TempFolder dir;
    const std::string file = dir.write(L"game.png", {1, 2, 3});
    dir.makeFolder(L"folder");
    const std::unique_ptr<FileSystem> files = makeFileSystem();
    EXPECT_TRUE(files->fileExists(file));
    EXPECT_FALSE(files->fileExists(dir.path() + "folder"));
    EXPECT_FALSE(files->fileExists(dir.path() + "missing.png"));
    EXPECT_FALSE(files->fileExists(""));
    EXPECT_EQ(files->readFile(file, 3), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_THROW(files->readFile(file, 2), Error);
    EXPECT_THROW(files->readFile(dir.path() + "missing.png", 100), Error);
    EXPECT_THROW(files->readFile(dir.path() + "folder", 100), Error);
    EXPECT_THROW(files->readFile("\xff\xfe", 100), Error);  // not UTF-8: no such name
}

class ComApartment : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

using StillPictureDecoding = ComApartment;

TEST_F(StillPictureDecoding, DecodesPngToBgraAndRefusesWhatItCannotRead) {
    const std::unique_ptr<StillPictureDecoder> decoder = makeStillPictureDecoder();
    const StillPicture picture = decoder->decode(solidPng(16, 8, 200, 100, 50));
    ASSERT_EQ(picture.width, 16);
    ASSERT_EQ(picture.height, 8);
    ASSERT_EQ(picture.pixels.size(), 16u * 8u * 4u);
    EXPECT_EQ((std::array<uint8_t, 4>{picture.pixels[0], picture.pixels[1], picture.pixels[2], picture.pixels[3]}),
              (std::array<uint8_t, 4>{50, 100, 200, 255}));

    EXPECT_THROW(decoder->decode(std::vector<uint8_t>(100, 7)), Error);
    EXPECT_THROW(decoder->decode(std::vector<uint8_t>{}), Error);
    std::vector<uint8_t> cut = solidPng(16, 8, 1, 2, 3);
    cut.resize(30);
    EXPECT_THROW(decoder->decode(cut), Error);

    PictureLimits small;
    small.maxSide = 8;
    EXPECT_THROW(makeStillPictureDecoder(small)->decode(solidPng(16, 8, 1, 2, 3)), Error);
}

// --- PlayMediaFile with the Windows services ----------------------------------

using WindowsMediaPlayer = ComApartment;

TEST_F(WindowsMediaPlayer, ResolvesAndShowsLikeTheProgram) {
    TempFolder dir;
    dir.write(L"still.PNG", solidPng(128, 32, 0, 255, 0));
    dir.write(L"anim.gif", test::writeGif(test::solidFramesGif(128, 32, {{255, 0, 0}, {0, 0, 255}}, 0)));
    dir.write(L"hidden.png", solidPng(128, 32, 1, 1, 1), FILE_ATTRIBUTE_HIDDEN);
    dir.write(L"default.png", solidPng(128, 32, 255, 255, 255));

    const std::unique_ptr<FileSystem> files = makeFileSystem();
    const std::unique_ptr<StillPictureDecoder> pictures = makeStillPictureDecoder();
    ManualTimer gifTimer(100);
    testing::RecordingDevice device;
    MediaPlayer player({*files, *pictures, gifTimer, device, platformHalftonePalette()});

    player.PlayMediaFile(dir.path() + "still");
    EXPECT_EQ(player.currentMediaFile(), dir.path() + "still.PNG");
    ASSERT_EQ(device.frames().size(), 1u);
    EXPECT_EQ(device.frames().back()[1], 255);  // green

    player.PlayMediaFile(dir.path() + "anim");
    ASSERT_TRUE(gifTimer.enabled());
    player.GiFTimerTimer();
    player.GiFTimerTimer();
    const std::vector<std::vector<uint8_t>> frames = device.frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ((std::array<uint8_t, 3>{frames[1][0], frames[1][1], frames[1][2]}), (std::array<uint8_t, 3>{255, 0, 0}));
    EXPECT_EQ((std::array<uint8_t, 3>{frames[2][0], frames[2][1], frames[2][2]}), (std::array<uint8_t, 3>{0, 0, 255}));

    // The hidden file is skipped by the search: the folder's default.png is shown.
    player.PlayMediaFile(dir.path() + "hidden");
    EXPECT_EQ(player.currentMediaFile(), dir.path() + "default.png");
    EXPECT_FALSE(gifTimer.enabled());
    EXPECT_EQ(device.frames().back()[0], 255);
}

// Windows takes "/" between folders as well as "\\": the folder of
// "C:/media/game" is "C:/media/", not "C:".
TEST_F(WindowsMediaPlayer, AFolderEndsAtEitherSlash) {
    TempFolder dir;
    dir.write(L"game.png", solidPng(128, 32, 0, 255, 0));
    dir.write(L"default.png", solidPng(128, 32, 255, 255, 255));
    std::string folder = dir.path();
    std::replace(folder.begin(), folder.end(), '\\', '/');
    ASSERT_EQ(folder.find('\\'), std::string::npos);

    const std::unique_ptr<FileSystem> files = makeFileSystem();
    const std::unique_ptr<StillPictureDecoder> pictures = makeStillPictureDecoder();
    ManualTimer gifTimer(100);
    testing::RecordingDevice device;
    MediaPlayer player({*files, *pictures, gifTimer, device, platformHalftonePalette()});
    const struct {
        std::string request, shown;
    } cases[] = {
        {folder + "game", folder + "game.png"},        // the file itself
        {folder + "other", folder + "default.png"},    // the folder's default.*
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        player.PlayMediaFile(cases[i].request);
        EXPECT_EQ(player.currentMediaFile(), cases[i].shown);
        EXPECT_EQ(device.frames().size(), i + 1) << cases[i].request;
    }
}

}  // namespace
}  // namespace zelk::control
