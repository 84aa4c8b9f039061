/*
 * Helper end to end: the real Helper.exe under Wine, copied into a fresh
 * install folder beside its "!Default.kws" and started from another
 * folder, as the shell starts it. The keyword file is checked byte for
 * byte, the exit code and boxes as the user meets them, and a stand-in
 * main program counts the broadcasts.
 */
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver.h"

namespace {

const char kAboutCaption[] = "Quorvane - ヘルパー アプリケーション情報";
const char kAboutText[] =
    "これは Quorvane のためのヘルパー アプリケーションです。この機能を使うには、"
    "ファイルを Quorvane と同じフォルダに置き、［オプション］-［シェル エクステンション］"
    "から設定します。";
const char kErrorCaption[] = "Quorvane - エラー";
const char kAppendFailed[] =
    "ファイルの書き込みに失敗しました。\r\nQuorvane のセットアップ先フォルダに、"
    "書き込み可能なファイル \"!Default.kws\" があることを確認してください。";

const int kKeywordBox = 9821;

/* what a record looks like in the file */
std::string Record(const std::string &keyword, const std::string &target)
{
    return keyword + "\r\n" + target + "\r\n\r\n";
}

/* characters, not bytes: edit positions count characters */
size_t CharacterCount(const std::string &text)
{
    size_t n = 0;
    for (size_t i = 0; i < text.size(); i++, n++) {
        if (IsDBCSLeadByte((BYTE)text[i]) && i + 1 < text.size())
            i++;
    }
    return n;
}

std::string ClassOf(HWND hwnd)
{
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    return name;
}

class HelperTest : public ::testing::Test {
protected:
    /* one stand-in main program per suite; tests read how far its count
       moved */
    static Program standIn;

    std::string folder;     /* the install folder with Helper.exe */
    std::string exe;
    std::string keywordFile;
    std::string elsewhere;  /* Helper's current directory */
    std::string decoy;      /* a keyword file there that must stay as it is */
    Program helper;
    BroadcastCount before;

    static void SetUpTestSuite()
    {
        StartStandIn(&standIn);
    }
    static void TearDownTestSuite()
    {
        EndProgram(&standIn);
    }

    void SetUp() override
    {
        helper.process = NULL;
        helper.job = NULL;
        helper.pid = 0;
        folder = TestRoot() + "Quorvane\\";
        exe = folder + "Helper.exe";
        keywordFile = folder + "!Default.kws";
        elsewhere = TestRoot() + "elsewhere\\";
        decoy = elsewhere + "!Default.kws";
        DeleteTree(TestRoot());
        ASSERT_TRUE(MakeFreshFolder(folder));
        ASSERT_TRUE(CopyFileA(BinFile("Helper.exe").c_str(), exe.c_str(), FALSE));
        ASSERT_TRUE(WriteFileBytes(keywordFile, ""));
        ASSERT_TRUE(MakeFreshFolder(elsewhere));
        ASSERT_TRUE(WriteFileBytes(decoy, "decoy\r\n"));
        ASSERT_TRUE(ReadBroadcasts(&before)) << "the stand-in does not answer";
    }

    void TearDown() override
    {
        EndProgram(&helper);
        EXPECT_EQ("decoy\r\n", Content(decoy)) << "written beside the current directory";
        SetFileAttributesA(keywordFile.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteTree(TestRoot());
    }

    std::string Content(const std::string &path)
    {
        std::string data;
        if (!ReadFileBytes(path, &data))
            return "<missing>";
        return data;
    }

    int Start(Program *program, const std::string &arguments)
    {
        return StartProgram(program, exe, arguments, elsewhere.c_str());
    }

    /* starts Helper with arguments and waits for its input box */
    HWND StartInputBox(const std::string &arguments)
    {
        EndProgram(&helper);
        if (!Start(&helper, arguments))
            return NULL;
        return WaitForDialog(&helper, kKeywordBox);
    }

    /* broadcasts the stand-in received since SetUp */
    ::testing::AssertionResult BroadcastsSinceSetUp(int expected)
    {
        BroadcastCount now;
        if (!ReadBroadcasts(&now))
            return ::testing::AssertionFailure() << "the stand-in does not answer";
        if (now.count - before.count != expected)
            return ::testing::AssertionFailure()
                   << now.count - before.count << " broadcasts, expected " << expected;
        if (now.nonZeroParams != before.nonZeroParams)
            return ::testing::AssertionFailure() << "a broadcast carried data";
        return ::testing::AssertionSuccess();
    }

    /* the box as it opens: caption, proposal selected, centred, owned by
       the hidden owner window */
    void ExpectInputBox(HWND box, const std::string &caption, const std::string &keyword)
    {
        EXPECT_EQ(caption, WindowText(box));
        EXPECT_EQ(keyword, ControlText(box, kKeywordBox));
        DWORD start = 99, end = 99;
        EXPECT_TRUE(EditSelection(box, kKeywordBox, &start, &end));
        EXPECT_EQ(0u, start);
        EXPECT_EQ(CharacterCount(keyword), end) << "the proposal is not selected";

        RECT screen, rect;
        GetWindowRect(GetDesktopWindow(), &screen);
        GetWindowRect(box, &rect);
        EXPECT_EQ((screen.right - (rect.right - rect.left)) / 2, rect.left);
        EXPECT_EQ((screen.bottom - (rect.bottom - rect.top)) / 2, rect.top);

        HWND owner = GetWindow(box, GW_OWNER);
        ExpectHiddenOwner(owner);
    }

    void ExpectHiddenOwner(HWND owner)
    {
        ASSERT_NE(nullptr, owner) << "no owner";
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        EXPECT_EQ(helper.pid, pid);
        EXPECT_EQ(0, lstrcmpiA("BUTTON", ClassOf(owner).c_str())) << ClassOf(owner);
        EXPECT_FALSE(IsWindowVisible(owner));
        EXPECT_EQ(GetDesktopWindow(), GetAncestor(owner, GA_PARENT));
    }

    /* the append-failed box, checked and answered; the input box stays
       usable while it is up */
    void AnswerAppendFailed(HWND inputBox)
    {
        HWND box = WaitForMessageBox(&helper);
        ASSERT_NE(nullptr, box) << "no append-failed box";
        MessageBoxInfo info = ReadMessageBox(box);
        EXPECT_EQ(kErrorCaption, info.caption);
        EXPECT_EQ(kAppendFailed, info.text);
        EXPECT_STREQ("error", IconName(info.icon));
        EXPECT_TRUE(info.hasOk && !info.hasCancel && !info.hasYes && !info.hasNo);
        EXPECT_EQ(nullptr, GetWindow(box, GW_OWNER));
        EXPECT_TRUE(IsWindowEnabled(inputBox));
        PressButton(box, IDOK);
    }

    /* types the keyword, confirms, and expects Helper to end with 1 */
    void Confirm(HWND box, const std::string &keyword)
    {
        SetControlText(box, kKeywordBox, keyword);
        PressButton(box, IDOK);
        EXPECT_EQ(1u, WaitForExit(&helper));
    }
};

Program HelperTest::standIn;

/* start: the argument, the box and how it ends without a record */

class HelperStart : public HelperTest {};

TEST_F(HelperStart, WithoutArgumentShowsOnlyTheInformationBox)
{
    ASSERT_TRUE(Start(&helper, ""));
    HWND box = WaitForMessageBox(&helper);
    ASSERT_NE(nullptr, box);
    MessageBoxInfo info = ReadMessageBox(box);
    EXPECT_EQ(kAboutCaption, info.caption);
    EXPECT_EQ(kAboutText, info.text);
    EXPECT_STREQ("information", IconName(info.icon));
    EXPECT_TRUE(info.hasOk && !info.hasCancel && !info.hasYes && !info.hasNo);
    ExpectHiddenOwner(GetWindow(box, GW_OWNER));
    EXPECT_EQ(nullptr, WaitForDialog(&helper, kKeywordBox, 0));

    PressButton(box, IDOK);
    EXPECT_EQ(0xFFFFFFFFu, WaitForExit(&helper));
    EXPECT_EQ("", Content(keywordFile));
    EXPECT_TRUE(BroadcastsSinceSetUp(0));
}

TEST_F(HelperStart, CancelEscAndTheCloseBoxEndWithTwoAndLeaveNoTrace)
{
    const std::string old = Record("old", "C:\\old");
    ASSERT_TRUE(WriteFileBytes(keywordFile, old));
    const char *ways[] = {"cancel button", "Esc", "close box"};
    for (int way = 0; way < 3; way++) {
        SCOPED_TRACE(ways[way]);
        HWND box = StartInputBox("C:\\Data\\memo.txt");
        ASSERT_NE(nullptr, box);
        SetControlText(box, kKeywordBox, "memo");
        /* the right ids with another notification code are no clicks */
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_DOUBLECLICKED), 0);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_SETFOCUS), 0);
        if (way == 0)
            PressButton(box, IDCANCEL);
        else if (way == 1)
            PressKey(box, kKeywordBox, VK_ESCAPE);
        else
            PressClose(box);
        EXPECT_EQ(2u, WaitForExit(&helper));
        EXPECT_EQ(old, Content(keywordFile));
        EXPECT_TRUE(BroadcastsSinceSetUp(0));
    }
}

/* OK: the record, byte for byte */

class HelperRecord : public HelperTest {};

TEST_F(HelperRecord, OkAppendsTheExactRecordAndBroadcastsOnce)
{
    HWND box = StartInputBox("C:\\Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    Confirm(box, "memo");
    std::string expected = "memo\r\nC:\\Data\\memo.txt\r\n\r\n";
    ASSERT_EQ(26u, expected.size());
    EXPECT_EQ(expected, Content(keywordFile));
    /* sent, not posted: the stand-in has it by the time Helper has ended */
    EXPECT_TRUE(BroadcastsSinceSetUp(1));
}

TEST_F(HelperRecord, EveryTargetIsProposedAndRecordedAsReceived)
{
    struct Row {
        const char *arguments;
        const char *target;
        const char *keyword;
    } rows[] = {
        {"C:\\Data\\memo.txt", "C:\\Data\\memo.txt", "memo.txt"},
        {"C:\\Data\\Projects", "C:\\Data\\Projects", "Projects"},
        {"D:\\", "D:\\", ""},
        {"memo", "memo", "memo"},
        {"C:\\My Data\\memo.txt", "C:\\My", "My"},
        {"\"C:\\My Data\\memo.txt\"", "C:\\My Data\\memo.txt", "memo.txt"},
        {"C:\\Data\\a.txt C:\\Data\\b.txt", "C:\\Data\\a.txt", "a.txt"},
        {"C:\\Data\\表", "C:\\Data\\表", "表"},
    };
    std::string expected;
    int count = 0;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.arguments);
        HWND box = StartInputBox(row.arguments);
        ASSERT_NE(nullptr, box);
        ExpectInputBox(box, row.target, row.keyword);
        /* Enter and the OK button both confirm */
        if (count % 2 == 0)
            PressButton(box, IDOK);
        else
            PressKey(box, kKeywordBox, VK_RETURN);
        EXPECT_EQ(1u, WaitForExit(&helper));
        /* each record directly after the one before */
        expected += Record(row.keyword, row.target);
        EXPECT_EQ(expected, Content(keywordFile));
        EXPECT_TRUE(BroadcastsSinceSetUp(++count));
    }
}

TEST_F(HelperRecord, DoubleByteKeywordAndTargetAreWrittenByteForByte)
{
    HWND box = StartInputBox("\"C:\\Data\\ソフト 表\\表\"");
    ASSERT_NE(nullptr, box);
    ExpectInputBox(box, "C:\\Data\\ソフト 表\\表", "表");
    Confirm(box, "ソフト 能");
    EXPECT_EQ(std::string("\x83\x5c\x83\x74\x83\x67 \x94\x5c\r\n"
                          "C:\\Data\\\x83\x5c\x83\x74\x83\x67 \x95\x5c\\\x95\x5c\r\n\r\n"),
              Content(keywordFile));
}

TEST_F(HelperRecord, KeywordsOver255BytesAreCut)
{
    std::string longer;
    for (int i = 0; i < 300; i++)
        longer += (char)('a' + i % 26);
    HWND box = StartInputBox("C:\\Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    Confirm(box, longer);
    std::string expected = Record(longer.substr(0, 255), "C:\\Data\\memo.txt");
    EXPECT_EQ(expected, Content(keywordFile));

    /* 128 double-byte characters: the cut never keeps half of one */
    std::string wide;
    for (int i = 0; i < 128; i++)
        wide += "表";
    box = StartInputBox("C:\\Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    Confirm(box, wide);
    expected += Record(wide.substr(0, 254), "C:\\Data\\memo.txt");
    EXPECT_EQ(expected, Content(keywordFile));
}

TEST_F(HelperRecord, ALastLineWithoutCrLfIsContinued)
{
    ASSERT_TRUE(WriteFileBytes(keywordFile, "old\r\nC:\\old"));
    HWND box = StartInputBox("C:\\Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    Confirm(box, "memo");
    EXPECT_EQ("old\r\nC:\\oldmemo\r\nC:\\Data\\memo.txt\r\n\r\n", Content(keywordFile));
}

TEST_F(HelperRecord, TargetsUpTo259BytesAreWrittenWholeLongerOnesNotAtAll)
{
    std::string component(259 - 8, 'a');
    std::string target = "C:\\Data\\" + component;
    ASSERT_EQ(259u, target.size());
    HWND box = StartInputBox(target);
    ASSERT_NE(nullptr, box);
    ExpectInputBox(box, target, component);
    Confirm(box, "whole");
    std::string expected = Record("whole", target);
    EXPECT_EQ(expected, Content(keywordFile));

    std::string over = "C:\\Data\\" + std::string(300 - 8, 'b');
    box = StartInputBox(over);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(over, WindowText(box));
    SetControlText(box, kKeywordBox, "refused");
    PressButton(box, IDOK);
    AnswerAppendFailed(box);
    EXPECT_EQ(1u, WaitForExit(&helper));
    EXPECT_EQ(expected, Content(keywordFile));
    EXPECT_TRUE(BroadcastsSinceSetUp(2));
}

/* failures: the box, no write, the broadcast all the same */

class HelperFailure : public HelperTest {};

TEST_F(HelperFailure, MissingKeywordFileShowsTheBoxAndStaysMissing)
{
    ASSERT_TRUE(DeleteFileA(keywordFile.c_str()));
    HWND box = StartInputBox("C:\\Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    SetControlText(box, kKeywordBox, "memo");
    PressButton(box, IDOK);
    AnswerAppendFailed(box);
    EXPECT_EQ(1u, WaitForExit(&helper));
    EXPECT_FALSE(FileExists(keywordFile));
    EXPECT_TRUE(BroadcastsSinceSetUp(1));
}

TEST_F(HelperFailure, ReadOnlyKeywordFileStaysUnchanged)
{
    const std::string old = Record("old", "C:\\old");
    ASSERT_TRUE(WriteFileBytes(keywordFile, old));
    ASSERT_TRUE(SetFileAttributesA(keywordFile.c_str(), FILE_ATTRIBUTE_READONLY));
    HWND box = StartInputBox("C:\\Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    SetControlText(box, kKeywordBox, "memo");
    PressButton(box, IDOK);
    AnswerAppendFailed(box);
    EXPECT_EQ(1u, WaitForExit(&helper));
    EXPECT_EQ(old, Content(keywordFile));
    EXPECT_TRUE(GetFileAttributesA(keywordFile.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(BroadcastsSinceSetUp(1));
}

/* several Helpers, and windows that do not answer */

class HelperTogether : public HelperTest {};

TEST_F(HelperTogether, TenConfirmedAtOnceLeaveTenWholeRecords)
{
    const int kCount = 10;
    Program helpers[kCount];
    HWND boxes[kCount];
    std::vector<std::string> records;
    for (int i = 0; i < kCount; i++)
        ASSERT_TRUE(Start(&helpers[i], "C:\\Data\\file" + std::to_string(i) + ".txt"));
    for (int i = 0; i < kCount; i++) {
        boxes[i] = WaitForDialog(&helpers[i], kKeywordBox);
        ASSERT_NE(nullptr, boxes[i]) << i;
        std::string keyword = "keyword" + std::to_string(i);
        SetControlText(boxes[i], kKeywordBox, keyword);
        records.push_back(Record(keyword, "C:\\Data\\file" + std::to_string(i) + ".txt"));
    }
    for (int i = 0; i < kCount; i++)
        PressButton(boxes[i], IDOK);

    DWORD start = GetTickCount();
    for (int i = 0; i < kCount; i++) {
        DWORD spent = GetTickCount() - start;
        DWORD left = spent < kWaitMs ? kWaitMs - spent : 0;
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(helpers[i].process, left) == WAIT_OBJECT_0) {
            GetExitCodeProcess(helpers[i].process, &code);
        } else {
            HWND failed = WaitForMessageBox(&helpers[i], 0);
            ADD_FAILURE() << "Helper " << i << " still open"
                          << (failed != NULL ? ": " + ReadMessageBox(failed).text : "");
        }
        EXPECT_EQ(1u, code) << i;
        EndProgram(&helpers[i]);
    }

    /* the file is the ten records, whole, in some order */
    std::string content = Content(keywordFile);
    std::vector<bool> seen(kCount, false);
    size_t at = 0;
    while (at < content.size()) {
        int match = -1;
        for (int i = 0; i < kCount && match < 0; i++) {
            if (!seen[i] && content.compare(at, records[i].size(), records[i]) == 0)
                match = i;
        }
        ASSERT_GE(match, 0) << "no whole record at byte " << at << ":\n" << content;
        seen[match] = true;
        at += records[match].size();
    }
    for (int i = 0; i < kCount; i++)
        EXPECT_TRUE(seen[i]) << "record " << i << " lost";
    EXPECT_TRUE(BroadcastsSinceSetUp(kCount));
}

TEST_F(HelperTogether, HungWindowDoesNotKeepHelperOpen)
{
    Program hung;
    ASSERT_TRUE(StartProgram(&hung, BinFile("QuorvaneStandIn.exe"), "--hang", NULL));
    HWND hungWindow = NULL;
    DWORD start = GetTickCount();
    while (hungWindow == NULL && GetTickCount() - start < kWaitMs) {
        hungWindow = FindWindowA("QuorvaneStandInHung", NULL);
        if (hungWindow == NULL)
            Sleep(50);
    }
    ASSERT_NE(nullptr, hungWindow);

    HWND box = StartInputBox("C:\\Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    SetControlText(box, kKeywordBox, "memo");
    PressButton(box, IDOK);
    /* the driver's deadline is far beyond any per-window wait */
    EXPECT_EQ(1u, WaitForExit(&helper));
    EXPECT_EQ(Record("memo", "C:\\Data\\memo.txt"), Content(keywordFile));
    /* the responsive main program still had the notice */
    EXPECT_TRUE(BroadcastsSinceSetUp(1));
    EndProgram(&hung);
}

/* the build's setup media carries Helper for the install to copy */

TEST(HelperMedia, SetupMediaCarriesAByteCopyOfHelper)
{
    std::string media = TestRoot() + "media\\";
    ASSERT_TRUE(BuildMedia(media));
    std::string built, copied;
    ASSERT_TRUE(ReadFileBytes(BinFile("Helper.exe"), &built));
    ASSERT_TRUE(ReadFileBytes(media + "Helper.ex_", &copied));
    EXPECT_FALSE(built.empty());
    EXPECT_TRUE(built == copied) << "Helper.ex_ differs from Helper.exe";
    DeleteTree(TestRoot());
}

} // namespace
