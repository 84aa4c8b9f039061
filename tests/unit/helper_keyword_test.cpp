/*
 * Helper's keyword file routines against real files in a fresh folder:
 * the folder of the running program, and the append, which writes a whole
 * record at the end of an existing "!Default.kws" or nothing at all.
 */
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "helper/helper.h"
#include "tests/support/contract.h"
#include "tests/support/support.h"

namespace {

TEST(HelperModuleFolder, IsTheModulePathCutAfterItsLastBackslash)
{
    char folder[MAX_PATH];
    memset(folder, 'Z', sizeof(folder));
    GetModuleFolder(folder, sizeof(folder));

    /* the driver finds the same folder its own way */
    std::string expected = BinFolder();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected, std::string(folder));
    EXPECT_EQ('\\', folder[strlen(folder) - 1]);
    for (size_t i = strlen(folder); i < sizeof(folder); i++)
        ASSERT_EQ('\0', folder[i]) << "not zero-filled at " << i;
}

std::wstring Wide(const std::string &path)
{
    wchar_t wide[1024];
    int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, 1024);
    return n > 0 ? std::wstring(wide) : std::wstring();
}

int WriteWide(const std::wstring &path, const std::string &data)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    BOOL ok = WriteFile(file, data.data(), (DWORD)data.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == data.size();
}

std::string ReadWide(const std::wstring &path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return "<unreadable>";
    char buffer[4096];
    DWORD n = 0;
    std::string data;
    while (ReadFile(file, buffer, sizeof(buffer), &n, NULL) && n > 0)
        data.append(buffer, n);
    CloseHandle(file);
    return data;
}

class HelperAppend : public ::testing::Test {
protected:
    std::string folder;
    std::string file;

    void SetUp() override
    {
        folder = TestRoot() + "helper-unit\\";
        ASSERT_TRUE(MakeFreshFolder(folder));
        file = folder + QV_KEYWORD_FILE;
        ASSERT_TRUE(WriteFileBytes(file, ""));
    }
    void TearDown() override
    {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteTree(TestRoot());
    }
    std::string Content(const std::string &path)
    {
        std::string data;
        if (!ReadFileBytes(path, &data))
            return "<unreadable>";
        return data;
    }
    std::string Content()
    {
        return Content(file);
    }
};

TEST_F(HelperAppend, WritesKeywordTargetAndAnEmptyLine)
{
    ASSERT_EQ(1, AppendRecordInFolder(folder.c_str(), "memo", "C:\\Data\\memo.txt"));
    EXPECT_EQ(Record("memo", "C:\\Data\\memo.txt"), Content());
}

TEST_F(HelperAppend, RecordsFollowEachOtherAtTheEnd)
{
    ASSERT_TRUE(WriteFileBytes(file, Record("old", "C:\\old")));
    ASSERT_EQ(1, AppendRecordInFolder(folder.c_str(), "a", "C:\\A"));
    ASSERT_EQ(1, AppendRecordInFolder(folder.c_str(), "a", "C:\\A"));
    EXPECT_EQ(Record("old", "C:\\old") + Record("a", "C:\\A") + Record("a", "C:\\A"), Content());
}

TEST_F(HelperAppend, ALastLineWithoutCrLfIsContinued)
{
    ASSERT_TRUE(WriteFileBytes(file, "old\r\nC:\\old"));
    ASSERT_EQ(1, AppendRecordInFolder(folder.c_str(), "new", "D:\\"));
    EXPECT_EQ("old\r\nC:\\old" + Record("new", "D:\\"), Content());
}

TEST_F(HelperAppend, EmptyKeywordAndDoubleByteTextAreWrittenAsGiven)
{
    ASSERT_EQ(1, AppendRecordInFolder(folder.c_str(), "", "D:\\"));
    ASSERT_EQ(1, AppendRecordInFolder(folder.c_str(), " ソフト 表 ", "C:\\表\\能"));
    EXPECT_EQ(Record("", "D:\\") +
                  Record(" \x83\x5c\x83\x74\x83\x67 \x95\x5c ", "C:\\\x95\x5c\\\x94\x5c"),
              Content());
}

TEST_F(HelperAppend, LongestKeywordAndTargetAreWrittenWhole)
{
    std::string keyword(kKeywordMax, 'k');
    std::string target = "C:\\" + std::string(255, 't') + "\\x"; /* 260 bytes */
    target.erase(259);
    ASSERT_EQ(259u, target.size());
    ASSERT_EQ(1, AppendRecordInFolder(folder.c_str(), keyword.c_str(), target.c_str()));
    EXPECT_EQ(Record(keyword, target), Content());
}

TEST_F(HelperAppend, OverlongKeywordOrTargetWritesNothing)
{
    ASSERT_TRUE(WriteFileBytes(file, "old\r\n"));
    std::string target260 = "C:\\" + std::string(257, 't');
    std::string keyword256(kKeywordMax + 1, 'k');
    EXPECT_EQ(0, AppendRecordInFolder(folder.c_str(), "k", target260.c_str()));
    EXPECT_EQ(0, AppendRecordInFolder(folder.c_str(), keyword256.c_str(), "C:\\"));
    EXPECT_EQ("old\r\n", Content());
}

TEST_F(HelperAppend, MissingFileFailsAndIsNotCreated)
{
    ASSERT_TRUE(DeleteFileA(file.c_str()));
    EXPECT_EQ(0, AppendRecordInFolder(folder.c_str(), "memo", "C:\\memo"));
    EXPECT_FALSE(FileExists(file));
}

TEST_F(HelperAppend, ReadOnlyFileFailsAndStaysUnchanged)
{
    ASSERT_TRUE(WriteFileBytes(file, "old\r\n"));
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(0, AppendRecordInFolder(folder.c_str(), "memo", "C:\\memo"));
    EXPECT_EQ("old\r\n", Content());
}

TEST_F(HelperAppend, EmptyFolderNeverMeansTheCurrentDirectory)
{
    char previous[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryA(sizeof(previous), previous));
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    int result = AppendRecordInFolder("", "memo", "C:\\memo");
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(0, result);
    EXPECT_EQ("", Content());
}

TEST_F(HelperAppend, FolderUpTo247BytesFitsTheKeywordFilePath)
{
    /* folder + "!Default.kws" must fit 259 bytes */
    std::string base = TestRoot() + "helper-unit\\";
    std::string fits = base + std::string(247 - base.size() - 1, 'f') + "\\";
    std::string over = base + std::string(248 - base.size() - 1, 'g') + "\\";
    ASSERT_EQ(247u, fits.size());
    ASSERT_EQ(248u, over.size());
    ASSERT_TRUE(MakeFreshFolder(fits));
    ASSERT_TRUE(MakeFreshFolder(over));
    std::string fitsFile = fits + QV_KEYWORD_FILE;
    ASSERT_TRUE(WriteFileBytes(fitsFile, ""));
    /* 260 bytes: only the wide functions take the path */
    std::wstring overFile = Wide(over + QV_KEYWORD_FILE);
    ASSERT_TRUE(WriteWide(overFile, "old\r\n"));

    EXPECT_EQ(1, AppendRecordInFolder(fits.c_str(), "k", "C:\\t"));
    EXPECT_EQ(Record("k", "C:\\t"), Content(fitsFile));
    /* refused whole, rather than cut to some other file's name */
    EXPECT_EQ(0, AppendRecordInFolder(over.c_str(), "k", "C:\\t"));
    EXPECT_EQ("old\r\n", ReadWide(overFile));
}

struct AppendJob {
    const char *folder;
    HANDLE started;
    int result;
};

DWORD WINAPI AppendThread(LPVOID parameter)
{
    AppendJob *job = (AppendJob *)parameter;
    SetEvent(job->started);
    job->result = AppendRecordInFolder(job->folder, "second", "C:\\2");
    return 0;
}

/* the file held the way another Helper holds it while appending */
HANDLE HoldLikeAnotherHelper(const std::string &path)
{
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

TEST_F(HelperAppend, WaitsWhileAnotherHelperHoldsTheFile)
{
    HANDLE held = HoldLikeAnotherHelper(file);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    AppendJob job = {folder.c_str(), CreateEventA(NULL, TRUE, FALSE, NULL), -1};
    HANDLE thread = CreateThread(NULL, 0, AppendThread, &job, 0, NULL);
    ASSERT_NE(nullptr, thread);
    /* the append has met the held file once before the hold ends; a short
       hold is what another Helper's append looks like */
    DWORD start = GetTickCount();
    while (KeywordFileWaits == 0 && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT &&
           GetTickCount() - start < kWaitMs)
        Sleep(1);
    EXPECT_NE(0, KeywordFileWaits) << "the append never met the held file";
    DWORD written = 0;
    const std::string first = Record("first", "C:\\1");
    ASSERT_TRUE(WriteFile(held, first.data(), (DWORD)first.size(), &written, NULL));
    CloseHandle(held);

    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, kWaitMs));
    CloseHandle(thread);
    CloseHandle(job.started);
    EXPECT_EQ(1, job.result);
    EXPECT_EQ(first + Record("second", "C:\\2"), Content());
}

TEST_F(HelperAppend, GivesUpOnAFileHeldForGood)
{
    ASSERT_TRUE(WriteFileBytes(file, "old\r\n"));
    HANDLE held = HoldLikeAnotherHelper(file);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    AppendJob job = {folder.c_str(), CreateEventA(NULL, TRUE, FALSE, NULL), -1};
    HANDLE thread = CreateThread(NULL, 0, AppendThread, &job, 0, NULL);
    ASSERT_NE(nullptr, thread);
    /* the deadline only bounds a broken retry; it asserts no duration */
    DWORD waited = WaitForSingleObject(thread, kWaitMs);
    CloseHandle(held);
    if (waited != WAIT_OBJECT_0)
        WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(job.started);
    EXPECT_EQ((DWORD)WAIT_OBJECT_0, waited) << "the append never gave up";
    EXPECT_EQ(0, job.result);
    EXPECT_EQ("old\r\n", Content());
}

/* S: is a 256 KiB file system of its own (scripts/small-drive): there an
   append can be made to fail part way, and must leave no partial record */
TEST_F(HelperAppend, ARecordThatDoesNotFitOnTheDiskLeavesTheFileAsItWas)
{
    const std::string drive = SmallDrive();
    if (drive.empty())
        GTEST_SKIP() << "no small drive S: (mounting one needs root)";
    struct Case {
        const char *what;
        size_t size;
    } cases[] = {
        /* the record's first ten bytes fit the file's last page */
        {"a short write", 4096 - 10},
        /* not one byte fits */
        {"a failed write", 4096},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string full = drive + "full\\";
        ASSERT_TRUE(MakeFreshFolder(full));
        std::string old(c.size, 'o');
        ASSERT_TRUE(WriteFileBytes(full + QV_KEYWORD_FILE, old));
        ASSERT_TRUE(FillDrive(full));
        EXPECT_EQ(0, AppendRecordInFolder(full.c_str(), "memo", "C:\\Data\\memo.txt"));
        EXPECT_TRUE(Content(full + QV_KEYWORD_FILE) == old) << "a partial record stayed";

        /* with room again the same append goes through */
        ASSERT_TRUE(DeleteFileA((full + "filler").c_str()));
        EXPECT_EQ(1, AppendRecordInFolder(full.c_str(), "memo", "C:\\Data\\memo.txt"));
        EXPECT_TRUE(Content(full + QV_KEYWORD_FILE) == old + Record("memo", "C:\\Data\\memo.txt"));
        DeleteTree(full);
    }
}

} // namespace
