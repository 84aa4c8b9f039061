/*
 * The setup media: each file opened once and hashed with what Windows
 * provides, copied from that same handle, a file compared with it, and
 * the running program told from its copies; Setup's own program file
 * proven against the image that runs.
 */
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "registry_fixture.h"
#include "setup/files.h"
#include "setup/media.h"
#include "tests/support/support.h"

namespace {

TEST(Media, HashIsSha256)
{
    const std::string path = TestRoot() + "abc.txt";
    ASSERT_TRUE(MakeFreshFolder(TestRoot()));
    ASSERT_TRUE(WriteFileBytes(path, "abc"));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    BYTE digest[32];
    DWORD size = 0;
    EXPECT_TRUE(HashFile(file, digest, &size));
    CloseHandle(file);
    /* the standard's own example */
    const BYTE expected[32] = {0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40,
                               0xde, 0x5d, 0xae, 0x22, 0x23, 0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17,
                               0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
    EXPECT_EQ(0, memcmp(expected, digest, 32));
    EXPECT_EQ(3u, size);
    DeleteTree(TestRoot());
}

TEST(Media, OnlyTheFileOfTheImageThatRunsIsProvenToBeIt)
{
    /* a copy of the same bytes put in its place is another file */
    const std::string copy = TestRoot() + QV_SETUP_EXE;
    ASSERT_TRUE(MakeFreshFolder(TestRoot()));
    ASSERT_TRUE(CopyFileA(BinFile(QV_SETUP_EXE).c_str(), copy.c_str(), FALSE));
    struct Row {
        const char *what;
        std::string path;
        bool proven;
    } rows[] = {
        {"the file", BinFile(QV_SETUP_EXE), true},
        {"a copy of its bytes", copy, false},
        {"another program", BinFile(QV_HELPER_EXE), false},
        {"no file", copy + ".missing", false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.proven, HoldBuiltSetup(row.path) != NULL);
        EXPECT_EQ(row.proven, OwnImageFile() != INVALID_HANDLE_VALUE);
    }
    /* held: neither renamed nor written under Setup's hand */
    ASSERT_NE(nullptr, HoldBuiltSetup());
    EXPECT_FALSE(MoveFileA(BinFile(QV_SETUP_EXE).c_str(), (copy + ".moved").c_str()));
    DeleteTree(TestRoot());
}

TEST(Media, CopiesAndComparisonsComeFromTheFilesOpenedOnce)
{
    std::vector<std::string> written;
    ASSERT_NE(nullptr, HoldBuiltSetup());
    ASSERT_TRUE(LayOutMediaBeside(&written));
    ASSERT_TRUE(MakeFreshFolder(TestRoot()));
    char problem[MAX_PATH];
    ASSERT_EQ(MediaReady, OpenMedia(problem, sizeof(problem)));
    for (size_t row = 0; row < kProductFileCount; row++) {
        const ProductFile &file = kProductFiles[row];
        if (file.mediaName == NULL)
            continue;
        SCOPED_TRACE(file.name);
        /* held denying writes until the media are closed */
        std::string media = BinFile(file.mediaName);
        if (strcmp(file.name, QV_SETUP_EXE) != 0) {
            HANDLE writer = CreateFileA(media.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL,
                                        OPEN_EXISTING, 0, NULL);
            EXPECT_EQ(INVALID_HANDLE_VALUE, writer) << "written under Setup's hand";
            if (writer != INVALID_HANDLE_VALUE)
                CloseHandle(writer);
        }
        std::string copy = TestRoot() + file.name;
        HANDLE to = CreateFileA(copy.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, to);
        EXPECT_EQ(MediaReady, CopyMediaFile(row, to));
        CloseHandle(to);
        EXPECT_TRUE(MatchesMediaFile(row, copy.c_str()));
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(copy, &bytes));
        bytes[bytes.size() / 2] ^= 1;
        ASSERT_TRUE(WriteFileBytes(copy, bytes));
        EXPECT_FALSE(MatchesMediaFile(row, copy.c_str())) << "one byte changed";
        EXPECT_FALSE(MatchesMediaFile(row, (copy + ".missing").c_str()));
    }
    /* the held program is Setup.exe of the media; a copy of it is not */
    EXPECT_TRUE(IsRunningImage(BinFile(QV_SETUP_EXE).c_str()));
    EXPECT_FALSE(IsRunningImage((TestRoot() + QV_SETUP_EXE).c_str()));
    CloseMedia();
    RemoveMediaBeside(written);
    DeleteTree(TestRoot());
}

TEST(Media, EachMissingFileIsNamedBeforeAnythingIsRead)
{
    for (const ProductFile *missing : MediaRows()) {
        /* Setup.exe is the running program: never missing */
        if (strcmp(missing->name, QV_SETUP_EXE) == 0)
            continue;
        SCOPED_TRACE(missing->mediaName);
        std::vector<std::string> written;
        ASSERT_NE(nullptr, HoldBuiltSetup());
        ASSERT_TRUE(LayOutMediaBeside(&written));
        ASSERT_TRUE(DeleteFileA(BinFile(missing->mediaName).c_str()));
        char problem[MAX_PATH];
        EXPECT_EQ(MediaMissing, OpenMedia(problem, sizeof(problem)));
        EXPECT_EQ(BinFile(missing->mediaName), std::string(problem));
        CloseMedia();
        RemoveMediaBeside(written);
    }
}

} // namespace
