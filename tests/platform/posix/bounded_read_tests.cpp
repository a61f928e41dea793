// The one whole-file read on POSIX: regular files only, refused at once when
// the name holds anything else, and never more than the caller's limit.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "core/error.h"
#include "platform/bounded_read.h"
#include "platform/path_kind.h"
#include "control/temp_folder.h"

namespace {

using zelk::platform::PathKind;
using zelk::platform::pathKind;
using zelk::platform::readWholeFile;

TEST(BoundedRead, ReadsRegularFilesUpToTheLimitAndRefusesEverythingElse) {
    zelk::test::TempFolder folder;
    const std::string file = folder.write("seven.bin", "1234567");
    const std::string fifo = folder.path("pipe.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    folder.makeFolder("1.bmp");

    EXPECT_EQ(readWholeFile(file, 7), (std::vector<uint8_t>{'1', '2', '3', '4', '5', '6', '7'}));
    EXPECT_TRUE(readWholeFile(folder.write("empty", ""), 0).empty());
    struct Case {
        std::string path;
        size_t limit;
        const char* reason;
    };
    const Case refused[] = {
        {file, 6, "It has 7 bytes, more than the 6 accepted."},
        {fifo, 100, "not a regular file"},  // a FIFO without writer: open() would wait forever
        {folder.path("1.bmp"), 100, "It is a folder"},
        {folder.path("missing"), 100, "No such file"},
    };
    for (const Case& c : refused) {
        try {
            readWholeFile(c.path, c.limit);
            ADD_FAILURE() << c.path << " was read";
        } catch (const zelk::Error& e) {
            EXPECT_EQ(e.className(), "EFOpenError") << c.path;
            EXPECT_NE(std::string(e.what()).find("\"" + c.path + "\""), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
    }
}

TEST(PathKind, TellsFilesFoldersAndTheRestApart) {
    zelk::test::TempFolder folder;
    const std::string fifo = folder.path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(pathKind(folder.write("f", "x")), PathKind::file);
    EXPECT_EQ(pathKind(folder.path()), PathKind::folder);
    EXPECT_EQ(pathKind(fifo), PathKind::other);
    EXPECT_EQ(pathKind(folder.path("none")), PathKind::missing);
    EXPECT_EQ(pathKind(""), PathKind::missing);
}

}  // namespace
