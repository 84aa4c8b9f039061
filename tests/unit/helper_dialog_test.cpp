/*
 * InputBoxDlgProc in this process, on the "INPUTBOX" template linked into
 * the test program: the values it returns to the dialog manager, which no
 * outside observer of Helper.exe can see, the opening state, and how the
 * keyword is read from its box. Only cancels are sent: OK would write
 * beside the test program.
 */
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "helper/helper.h"
#include "helper/resource.h"
#include "tests/support/contract.h"
#include "tests/support/support.h"

namespace {

/* a box the input box opens is caught and dismissed at once. Nothing
   here should wait, so a test that does is ended by its deadline. */
class HelperInputBox : public ::testing::Test {
protected:
    Deadline deadline{kDialogDeadlineMs, "the input box's test to begin"};
    HWND box = NULL;
    BoxCatcher boxes;

    ::testing::AssertionResult Open(const char *commandLine)
    {
        if (!MakeArgumentVector(commandLine))
            return ::testing::AssertionFailure() << "no argument vector";
        deadline.Waiting(std::string("INPUTBOX to open in this process (CreateDialogParamA, "
                                     "InputBoxDlgProc, \"") + commandLine + "\")");
        box = CreateDialogParamA(GetModuleHandleA(NULL), "INPUTBOX", NULL,
                                 InputBoxDlgProc, 0);
        deadline.Waiting("the test's calls on the open input box");
        if (box == NULL)
            return ::testing::AssertionFailure() << "the input box does not open";
        return ::testing::AssertionSuccess();
    }
    void TearDown() override
    {
        deadline.Waiting("the input box to be destroyed");
        if (box != NULL)
            DestroyWindow(box);
    }
};

TEST_F(HelperInputBox, OpensCentredWithTheTargetAndItsLastComponentSelected)
{
    ASSERT_TRUE(Open("Helper.exe C:\\Data\\表"));
    EXPECT_EQ("C:\\Data\\表", WindowText(box));
    EXPECT_EQ("表", ControlText(box, IDC_KEYWORD_EDIT));
    EXPECT_EQ(GetDlgItem(box, IDC_KEYWORD_EDIT), GetFocus());
    DWORD start = 99, end = 99;
    ASSERT_TRUE(EditSelection(box, IDC_KEYWORD_EDIT, &start, &end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(1u, end); /* positions count characters */

    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_TRUE(IsCentredOnScreen(box));
}

TEST_F(HelperInputBox, ReturnsTrueOnlyForInitDialog)
{
    ASSERT_TRUE(Open("Helper.exe C:\\Data\\memo.txt"));
    EXPECT_EQ(TRUE, InputBoxDlgProc(box, WM_INITDIALOG, 0, 0));
    EXPECT_EQ(FALSE, InputBoxDlgProc(box, WM_NULL, 0, 0));
    EXPECT_EQ(FALSE, InputBoxDlgProc(box, WM_USER, 0, 0));
    EXPECT_EQ(FALSE, InputBoxDlgProc(box, WM_COMMAND,
                                     MAKEWPARAM(IDC_KEYWORD_EDIT, EN_CHANGE), 0));
    EXPECT_EQ(FALSE, InputBoxDlgProc(box, WM_COMMAND, IDCANCEL, 0));
}

TEST_F(HelperInputBox, OnlyAClickOnCancelEndsTheDialog)
{
    ASSERT_TRUE(Open("Helper.exe C:\\Data\\memo.txt"));
    /* the same id with another notification code is no click */
    InputBoxDlgProc(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_DOUBLECLICKED), 0);
    InputBoxDlgProc(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_SETFOCUS), 0);
    EXPECT_TRUE(IsWindowVisible(box));
    /* ending a modeless dialog hides it */
    InputBoxDlgProc(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindowVisible(box));
}

/* a keyword box that hands out its text cut at the byte count asked for,
   as Windows' edit control may, even inside a double-byte character */
std::string g_typed;
WNDPROC g_editProc;

LRESULT CALLBACK ByteCuttingEdit(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_GETTEXT)
        return CallWindowProcA(g_editProc, hwnd, message, wParam, lParam);
    size_t n = g_typed.size() < wParam ? g_typed.size() : wParam - 1;
    memcpy((char *)lParam, g_typed.data(), n);
    ((char *)lParam)[n] = '\0';
    return (LRESULT)n;
}

TEST_F(HelperInputBox, TheKeywordIsCutWholeCharactersAtItsLimit)
{
    ASSERT_TRUE(Open("Helper.exe C:\\Data\\memo.txt"));
    HWND edit = GetDlgItem(box, IDC_KEYWORD_EDIT);
    g_editProc = (WNDPROC)SetWindowLongPtrA(edit, GWLP_WNDPROC, (LONG_PTR)ByteCuttingEdit);
    ASSERT_NE(nullptr, g_editProc);
    std::string wide;
    for (int i = 0; i < 128; i++)
        wide += "表";
    struct Row {
        std::string typed, read;
    } rows[] = {
        /* 128 of 表 are 256 bytes: 255 would end in half of the last one */
        {wide, wide.substr(0, 254)},
        {std::string(300, 'k'), std::string(kKeywordMax, 'k')},
        {"memo", "memo"},
    };
    for (const Row &row : rows) {
        g_typed = row.typed;
        ReadKeyword(box);
        EXPECT_EQ(row.read, std::string(KeywordBuffer));
    }
    SetWindowLongPtrA(edit, GWLP_WNDPROC, (LONG_PTR)g_editProc);
}

} // namespace
