// The file system of the POSIX build over a real temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "control/media/file_system.h"
#include "core/error.h"
#include "control/temp_folder.h"

namespace zelk::control {
namespace {

using test::TempFolder;

std::vector<std::string> namesOf(const std::vector<FoundEntry>& entries) {
    std::vector<std::string> names;
    for (const FoundEntry& entry : entries) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

const FoundEntry* entryNamed(const std::vector<FoundEntry>& entries, const std::string& name) {
    for (const FoundEntry& entry : entries) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

TEST(FileSystem, SearchMatchesByWindowsRulesAndDescribesEntries) {
    TempFolder dir;
    dir.write("game.png", "x");
    dir.write("GAME.GIF", "x");
    dir.write("game", "x");
    dir.write("gamer.png", "x");
    dir.write(".game.png", "x");
    dir.makeFolder("game.d");
    ASSERT_EQ(mkfifo(dir.path("game.fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir.path("game.png"), dir.path("game.link"));
    std::filesystem::create_symlink(dir.path("nowhere"), dir.path("game.dangling"));

    const std::unique_ptr<FileSystem> files = makeFileSystem();
    const std::vector<FoundEntry> found = files->search(dir.path("game.*"));
    EXPECT_EQ(namesOf(found), (std::vector<std::string>{"GAME.GIF", "game", "game.d", "game.dangling",
                                                        "game.fifo", "game.link", "game.png"}));
    EXPECT_TRUE(entryNamed(found, "game.d")->folder);
    EXPECT_TRUE(entryNamed(found, "game.fifo")->system);
    for (const char* plain : {"GAME.GIF", "game", "game.png", "game.link", "game.dangling"}) {
        const FoundEntry* entry = entryNamed(found, plain);
        EXPECT_FALSE(entry->folder || entry->hidden || entry->system) << plain;
    }
    const std::vector<FoundEntry> hidden = files->search(dir.path(".game.*"));
    ASSERT_EQ(hidden.size(), 1u);
    EXPECT_TRUE(hidden[0].hidden);
}

TEST(FileSystem, SearchFindsNothingWithoutAFolderOrPattern) {
    TempFolder dir;
    dir.write("game.png", "x");
    const std::unique_ptr<FileSystem> files = makeFileSystem();
    EXPECT_TRUE(files->search(dir.path("missing/game.*")).empty());
    EXPECT_TRUE(files->search(dir.path()).empty());
    EXPECT_TRUE(files->search(dir.path(std::string(300, 'g') + "*")).empty());
    EXPECT_TRUE(files->search(dir.path("*.jpg")).empty());
}

TEST(FileSystem, SearchWithoutFolderReadsTheCurrentFolder) {
    TempFolder dir;
    dir.write("default.png", "x");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const std::unique_ptr<FileSystem> files = makeFileSystem();
    const std::vector<FoundEntry> found = files->search("default.*");
    std::filesystem::current_path(before);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "default.png");
}

TEST(FileSystem, FileExistsForFilesAndLinksToFilesOnly) {
    TempFolder dir;
    dir.write("game.png", "x");
    dir.makeFolder("folder");
    std::filesystem::create_symlink(dir.path("game.png"), dir.path("file.link"));
    std::filesystem::create_symlink(dir.path("folder"), dir.path("folder.link"));
    std::filesystem::create_symlink(dir.path("nowhere"), dir.path("dangling.link"));
    const std::unique_ptr<FileSystem> files = makeFileSystem();
    EXPECT_TRUE(files->fileExists(dir.path("game.png")));
    EXPECT_TRUE(files->fileExists(dir.path("file.link")));
    EXPECT_FALSE(files->fileExists(dir.path("folder")));
    EXPECT_FALSE(files->fileExists(dir.path("folder.link")));
    EXPECT_FALSE(files->fileExists(dir.path("dangling.link")));
    EXPECT_FALSE(files->fileExists(dir.path("missing.png")));
    EXPECT_FALSE(files->fileExists(""));
}

TEST(FileSystem, ReadFileIsBounded) {
    TempFolder dir;
    dir.write("small.bin", std::vector<uint8_t>{1, 2, 3});
    dir.makeFolder("folder");
    ASSERT_EQ(mkfifo(dir.path("pipe").c_str(), 0600), 0);
    const std::unique_ptr<FileSystem> files = makeFileSystem();
    EXPECT_EQ(files->readFile(dir.path("small.bin"), 3), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_THROW(files->readFile(dir.path("small.bin"), 2), Error);
    EXPECT_THROW(files->readFile(dir.path("missing"), 100), Error);
    EXPECT_THROW(files->readFile(dir.path("folder"), 100), Error);
    EXPECT_THROW(files->readFile(dir.path("pipe"), 100), Error);  // refused, does not hang

    // A large sparse file is refused by its size, before anything is read.
    ASSERT_EQ(truncate(dir.write("huge.gif", "").c_str(), off_t{1} << 40), 0);
    try {
        files->readFile(dir.path("huge.gif"), 64u << 20);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("huge.gif"), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("bytes"), std::string::npos);
    }
}

}  // namespace
}  // namespace zelk::control
