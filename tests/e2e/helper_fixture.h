/*
 * Shared set-up of the Helper end-to-end tests: a fresh install folder
 * with Helper.exe and its "!Default.kws", a current directory elsewhere
 * with a decoy keyword file that must never change, and one stand-in main
 * program per suite that counts the broadcasts.
 */
#ifndef QUORVANE_TESTS_E2E_HELPER_FIXTURE_H
#define QUORVANE_TESTS_E2E_HELPER_FIXTURE_H

#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver.h"

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
inline std::string Record(const std::string &keyword, const std::string &target)
{
    return keyword + "\r\n" + target + "\r\n\r\n";
}

/* characters, not bytes: edit positions count characters */
inline size_t CharacterCount(const std::string &text)
{
    size_t n = 0;
    for (size_t i = 0; i < text.size(); i++, n++) {
        if (IsDBCSLeadByte((BYTE)text[i]) && i + 1 < text.size())
            i++;
    }
    return n;
}

inline std::string ClassOf(HWND hwnd)
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

    /* count Helpers with their boxes open at once, all confirmed
       together: every record whole in the file, none lost, one broadcast
       each */
    void ExpectConfirmedTogether(int count)
    {
        std::vector<Program> helpers(count);
        std::vector<HWND> boxes(count);
        std::vector<std::string> records;
        for (int i = 0; i < count; i++)
            ASSERT_TRUE(Start(&helpers[i], "C:\\Data\\file" + std::to_string(i) + ".txt"));
        for (int i = 0; i < count; i++) {
            boxes[i] = WaitForDialog(&helpers[i], kKeywordBox);
            ASSERT_NE(nullptr, boxes[i]) << i;
            std::string keyword = "keyword" + std::to_string(i);
            SetControlText(boxes[i], kKeywordBox, keyword);
            records.push_back(Record(keyword, "C:\\Data\\file" + std::to_string(i) + ".txt"));
        }
        for (int i = 0; i < count; i++)
            PressButton(boxes[i], IDOK);

        DWORD start = GetTickCount();
        for (int i = 0; i < count; i++) {
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
        std::vector<bool> seen(count, false);
        size_t at = 0;
        while (at < content.size()) {
            int match = -1;
            for (int i = 0; i < count && match < 0; i++) {
                if (!seen[i] && content.compare(at, records[i].size(), records[i]) == 0)
                    match = i;
            }
            ASSERT_GE(match, 0) << "no whole record at byte " << at << ":\n" << content;
            seen[match] = true;
            at += records[match].size();
        }
        for (int i = 0; i < count; i++)
            EXPECT_TRUE(seen[i]) << "record " << i << " lost";
        EXPECT_TRUE(BroadcastsSinceSetUp(count));
    }
};

#endif
