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

#include "helper/resource.h"
#include "helper/texts.h"
#include "tests/support/contract.h"
#include "tests/support/support.h"

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
        folder = TestRoot() + "Quorvane\\";
        exe = folder + QV_HELPER_EXE;
        keywordFile = folder + QV_KEYWORD_FILE;
        elsewhere = TestRoot() + "elsewhere\\";
        decoy = elsewhere + QV_KEYWORD_FILE;
        DeleteTree(TestRoot());
        ASSERT_TRUE(MakeFreshFolder(folder));
        ASSERT_TRUE(CopyFileA(BinFile(QV_HELPER_EXE).c_str(), exe.c_str(), FALSE));
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

    /* started the way the shell starts it, through the wide interface */
    int StartWide(Program *program, const std::wstring &arguments)
    {
        wchar_t wideExe[MAX_PATH];
        if (!MultiByteToWideChar(CP_ACP, 0, exe.c_str(), -1, wideExe, MAX_PATH))
            return 0;
        return StartProgramWide(program, wideExe,
                                L"\"" + std::wstring(wideExe) + L"\" " + arguments,
                                elsewhere.c_str());
    }

    /* starts Helper with arguments and waits for its input box */
    HWND StartInputBox(const std::string &arguments)
    {
        EndProgram(&helper);
        if (!Start(&helper, arguments))
            return NULL;
        return WaitForDialog(&helper, IDC_KEYWORD_EDIT);
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
        if (now.posted != before.posted)
            return ::testing::AssertionFailure() << "a broadcast was posted, not sent";
        return ::testing::AssertionSuccess();
    }

    /* the box as it opens: caption, proposal selected, centred, owned by
       the hidden owner window */
    ::testing::AssertionResult IsInputBox(HWND box, const std::string &caption,
                                          const std::string &keyword)
    {
        if (WindowText(box) != caption)
            return ::testing::AssertionFailure() << "caption " << WindowText(box);
        if (ControlText(box, IDC_KEYWORD_EDIT) != keyword)
            return ::testing::AssertionFailure() << "keyword " << ControlText(box, IDC_KEYWORD_EDIT);
        DWORD start = 99, end = 99;
        if (!EditSelection(box, IDC_KEYWORD_EDIT, &start, &end) || start != 0 ||
            end != CharacterCount(keyword))
            return ::testing::AssertionFailure() << "the proposal is not selected";
        ::testing::AssertionResult centred = IsCentredOnScreen(box);
        if (!centred)
            return centred;
        return IsHiddenOwner(GetWindow(box, GW_OWNER));
    }

    ::testing::AssertionResult IsHiddenOwner(HWND owner)
    {
        if (owner == NULL)
            return ::testing::AssertionFailure() << "no owner";
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        if (pid != helper.pid)
            return ::testing::AssertionFailure() << "an owner of another process";
        if (lstrcmpiA("BUTTON", ClassOf(owner).c_str()) != 0)
            return ::testing::AssertionFailure() << "an owner of class " << ClassOf(owner);
        if (IsWindowVisible(owner) || GetAncestor(owner, GA_PARENT) != GetDesktopWindow())
            return ::testing::AssertionFailure() << "the owner is no hidden top-level window";
        return ::testing::AssertionSuccess();
    }

    /* the append-failed box, checked and answered; the input box stays
       usable while it is up */
    ::testing::AssertionResult AnswerAppendFailed(HWND inputBox)
    {
        HWND box = WaitForMessageBox(&helper);
        ::testing::AssertionResult shown =
            IsBox(box, HELPER_ERROR_CAPTION, HELPER_APPEND_FAILED_TEXT, IconError);
        if (box == NULL)
            return shown;
        HWND owner = GetWindow(box, GW_OWNER);
        int enabled = IsWindowEnabled(inputBox);
        PressButton(box, IDOK);
        if (!shown)
            return shown;
        if (owner != NULL)
            return ::testing::AssertionFailure() << "the box has an owner";
        if (!enabled)
            return ::testing::AssertionFailure() << "the input box was disabled";
        return ::testing::AssertionSuccess();
    }

    /* types the keyword, confirms, and expects Helper to end with 1 */
    ::testing::AssertionResult Confirm(HWND box, const std::string &keyword)
    {
        SetControlText(box, IDC_KEYWORD_EDIT, keyword);
        PressButton(box, IDOK);
        DWORD code = WaitForExit(&helper);
        if (code != 1)
            return ::testing::AssertionFailure() << "exit code " << (long)code;
        return ::testing::AssertionSuccess();
    }
};

#endif
