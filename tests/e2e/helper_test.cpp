/*
 * Helper end to end: the real Helper.exe under Wine, copied into a fresh
 * install folder beside its "!Default.kws" and started from another
 * folder, as the shell starts it. The keyword file is checked byte for
 * byte, the exit code and boxes as the user meets them, and a stand-in
 * main program counts the broadcasts.
 */
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "helper_fixture.h"

namespace {

/* start: the argument, the box and how it ends without a record */

class HelperStart : public HelperTest {};

TEST_F(HelperStart, WithoutArgumentShowsOnlyTheInformationBox)
{
    ASSERT_TRUE(Start(&helper, ""));
    HWND box = WaitForMessageBox(&helper);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(IsBox(box, HELPER_ABOUT_CAPTION, HELPER_ABOUT_TEXT, IconInformation));
    EXPECT_TRUE(IsHiddenOwner(GetWindow(box, GW_OWNER)));
    EXPECT_EQ(nullptr, WaitForDialog(&helper, IDC_KEYWORD_EDIT, 0));

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
        SetControlText(box, IDC_KEYWORD_EDIT, "memo");
        /* the right ids with another notification code are no clicks */
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_DOUBLECLICKED), 0);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_SETFOCUS), 0);
        if (way == 0)
            PressButton(box, IDCANCEL);
        else if (way == 1)
            PressKey(box, IDC_KEYWORD_EDIT, VK_ESCAPE);
        else
            PressClose(box);
        EXPECT_EQ(2u, WaitForExit(&helper));
        EXPECT_EQ(old, Content(keywordFile));
        EXPECT_TRUE(BroadcastsSinceSetUp(0));
    }
}

TEST_F(HelperStart, NamesCodePage932CannotHoldAreRefused)
{
    /* ¥ (U+00A5) would arrive as a backslash, ü as u: another target */
    const wchar_t *targets[] = {L"\"C:\\Data\\a\u00a5b.txt\"", L"\"C:\\Data\\cafe\u00fc.txt\""};
    for (const wchar_t *target : targets) {
        ASSERT_TRUE(StartWide(&helper, target));
        HWND box = WaitForMessageBox(&helper);
        EXPECT_TRUE(IsBox(box, HELPER_ERROR_CAPTION, HELPER_NOT_ANSI_TEXT, IconError));
        EXPECT_EQ(nullptr, WaitForDialog(&helper, IDC_KEYWORD_EDIT, 0));
        if (box != NULL) {
            EXPECT_EQ(nullptr, GetWindow(box, GW_OWNER));
            PressButton(box, IDOK);
        }
        EXPECT_EQ(0xFFFFFFFFu, WaitForExit(&helper));
    }
    EXPECT_EQ("", Content(keywordFile));
    EXPECT_TRUE(BroadcastsSinceSetUp(0));

    /* a Japanese name has its form in code page 932 */
    HWND box = NULL;
    ASSERT_TRUE(StartWide(&helper, L"\"C:\\Data\\\u8868\u8a08\u7b97.xls\""));
    ASSERT_NE(nullptr, box = WaitForDialog(&helper, IDC_KEYWORD_EDIT));
    ASSERT_TRUE(Confirm(box, "表"));
    EXPECT_EQ(Record("表", "C:\\Data\\表計算.xls"), Content(keywordFile));
}

/* OK: the record, byte for byte */

class HelperRecord : public HelperTest {};

TEST_F(HelperRecord, OkAppendsTheExactRecordAndBroadcastsOnce)
{
    HWND box = StartInputBox("C:\\Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(Confirm(box, "memo"));
    EXPECT_EQ(Record("memo", "C:\\Data\\memo.txt"), Content(keywordFile));
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
        EXPECT_TRUE(IsInputBox(box, row.target, row.keyword));
        /* Enter and the OK button both confirm */
        if (count % 2 == 0)
            PressButton(box, IDOK);
        else
            PressKey(box, IDC_KEYWORD_EDIT, VK_RETURN);
        EXPECT_EQ(1u, WaitForExit(&helper));
        /* each record directly after the one before */
        expected += Record(row.keyword, row.target);
        EXPECT_EQ(expected, Content(keywordFile));
        EXPECT_TRUE(BroadcastsSinceSetUp(++count));
    }
}

/* failures: the box, no write, the broadcast all the same */

class HelperFailure : public HelperTest {};

TEST_F(HelperFailure, MissingKeywordFileShowsTheBoxAndStaysMissing)
{
    ASSERT_TRUE(DeleteFileA(keywordFile.c_str()));
    HWND box = StartInputBox("C:\\Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    SetControlText(box, IDC_KEYWORD_EDIT, "memo");
    PressButton(box, IDOK);
    EXPECT_TRUE(AnswerAppendFailed(box));
    EXPECT_EQ(1u, WaitForExit(&helper));
    EXPECT_FALSE(FileExists(keywordFile));
    EXPECT_TRUE(BroadcastsSinceSetUp(1));
}

TEST_F(HelperFailure, SecondOkBehindTheFailureBoxDoesNothing)
{
    ASSERT_TRUE(DeleteFileA(keywordFile.c_str()));
    HWND box = StartInputBox("C:\\Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    PressButton(box, IDOK);
    HWND failed = WaitForMessageBox(&helper);
    ASSERT_NE(nullptr, failed);
    /* the user makes the file and presses OK once more: the box has no
       owner, so the input box takes the click, and drops it */
    ASSERT_TRUE(WriteFileBytes(keywordFile, ""));
    EXPECT_TRUE(ClickAndWait(box, IDOK));
    PressButton(failed, IDOK);
    EXPECT_EQ(1u, WaitForExit(&helper));
    EXPECT_EQ("", Content(keywordFile));
    EXPECT_TRUE(BroadcastsSinceSetUp(1));
}

/* several Helpers, and windows that do not answer */

class HelperTogether : public HelperTest {};

/* ten Helpers with their boxes open at once, all confirmed together:
   every record whole in the file, none lost, one broadcast each */
TEST_F(HelperTogether, TenConfirmedAtOnceLeaveTenWholeRecords)
{
    const int kCount = 10;
    std::vector<Program> helpers(kCount);
    std::vector<HWND> boxes(kCount);
    std::vector<std::string> records;
    for (int i = 0; i < kCount; i++)
        ASSERT_TRUE(Start(&helpers[i], "C:\\Data\\file" + std::to_string(i) + ".txt"));
    for (int i = 0; i < kCount; i++) {
        boxes[i] = WaitForDialog(&helpers[i], IDC_KEYWORD_EDIT);
        ASSERT_NE(nullptr, boxes[i]) << i;
        std::string keyword = "keyword" + std::to_string(i);
        SetControlText(boxes[i], IDC_KEYWORD_EDIT, keyword);
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
    SetControlText(box, IDC_KEYWORD_EDIT, "memo");
    PressButton(box, IDOK);
    /* the driver's deadline is far beyond any per-window wait */
    EXPECT_EQ(1u, WaitForExit(&helper));
    EXPECT_EQ(Record("memo", "C:\\Data\\memo.txt"), Content(keywordFile));
    /* the responsive main program still had the notice */
    EXPECT_TRUE(BroadcastsSinceSetUp(1));
    EndProgram(&hung);
}

/* command lines the shell builds; the splitting rule itself is the unit
   tests' (tests/unit/text_test.cpp) */

class BadCommandLine : public HelperTest {};

TEST_F(BadCommandLine, ThirtyTwoKilobyteTargetWritesNothing)
{
    std::string target = "C:\\" + std::string(32000, 'x');
    HWND box = StartInputBox(target);
    ASSERT_NE(nullptr, box);
    PressButton(box, IDOK);
    EXPECT_TRUE(AnswerAppendFailed(box));
    EXPECT_TRUE(EndedWith(WaitForExit(&helper), 1));
    EXPECT_EQ("", Content(keywordFile));
}

TEST_F(BadCommandLine, InvalidDoubleByteSequencesGiveOneWholeRecord)
{
    const char *targets[] = {"C:\\a\x81", "C:\\\x81\\b", "\xfc\xfc\\\x80"};
    for (const char *target : targets) {
        SCOPED_TRACE(target);
        HWND box = StartInputBox(std::string("\"") + target + "\"");
        ASSERT_NE(nullptr, box);
        PressButton(box, IDOK);
        EXPECT_TRUE(EndedWith(WaitForExit(&helper), 1));
    }
    /* whatever bytes arrived, each record is three lines and an empty one */
    std::string content = Content(keywordFile);
    size_t at = 0;
    for (int i = 0; i < 3; i++) {
        size_t keywordEnd = content.find("\r\n", at);
        ASSERT_NE(std::string::npos, keywordEnd) << content;
        size_t targetEnd = content.find("\r\n", keywordEnd + 2);
        ASSERT_NE(std::string::npos, targetEnd) << content;
        ASSERT_EQ("\r\n", content.substr(targetEnd + 2, 2)) << content;
        at = targetEnd + 4;
    }
    EXPECT_EQ(content.size(), at);
    EXPECT_TRUE(BroadcastsSinceSetUp(3));
}

} // namespace
