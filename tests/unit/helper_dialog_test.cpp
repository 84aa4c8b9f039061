/*
 * InputBoxDlgProc in this process, on the "INPUTBOX" template linked into
 * the test program: the values it returns to the dialog manager, which no
 * outside observer of Helper.exe can see, and the opening state. Only
 * cancels are sent: OK would write beside the test program.
 */
#include <string>

#include <gtest/gtest.h>

#include "helper/helper.h"
#include "helper/resource.h"
#include "tests/support/support.h"

namespace {

/* a box the input box opens is caught and dismissed at once */
class HelperInputBox : public ::testing::Test {
protected:
    HWND box = NULL;
    BoxCatcher boxes;

    void Open(const char *commandLine)
    {
        ASSERT_TRUE(MakeArgumentVector(commandLine));
        box = CreateDialogParamA(GetModuleHandleA(NULL), "INPUTBOX", NULL,
                                 InputBoxDlgProc, 0);
        ASSERT_NE(nullptr, box);
    }
    void TearDown() override
    {
        if (box != NULL)
            DestroyWindow(box);
    }
};

TEST_F(HelperInputBox, OpensCentredWithTheTargetAndItsLastComponentSelected)
{
    Open("Helper.exe C:\\Data\\表");
    EXPECT_EQ("C:\\Data\\表", WindowText(box));
    EXPECT_EQ("表", ControlText(box, IDC_KEYWORD_EDIT));
    EXPECT_EQ(GetDlgItem(box, IDC_KEYWORD_EDIT), GetFocus());
    DWORD start = 99, end = 99;
    ASSERT_TRUE(EditSelection(box, IDC_KEYWORD_EDIT, &start, &end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(1u, end); /* positions count characters */

    EXPECT_TRUE(IsWindowVisible(box));
    RECT screen, rect;
    GetWindowRect(GetDesktopWindow(), &screen);
    GetWindowRect(box, &rect);
    EXPECT_EQ((screen.right - (rect.right - rect.left)) / 2, rect.left);
    EXPECT_EQ((screen.bottom - (rect.bottom - rect.top)) / 2, rect.top);
}

TEST_F(HelperInputBox, ReturnsTrueOnlyForInitDialog)
{
    Open("Helper.exe C:\\Data\\memo.txt");
    EXPECT_EQ(TRUE, InputBoxDlgProc(box, WM_INITDIALOG, 0, 0));
    EXPECT_EQ(FALSE, InputBoxDlgProc(box, WM_NULL, 0, 0));
    EXPECT_EQ(FALSE, InputBoxDlgProc(box, WM_USER, 0, 0));
    EXPECT_EQ(FALSE, InputBoxDlgProc(box, WM_COMMAND,
                                     MAKEWPARAM(IDC_KEYWORD_EDIT, EN_CHANGE), 0));
    EXPECT_EQ(FALSE, InputBoxDlgProc(box, WM_COMMAND, IDCANCEL, 0));
}

TEST_F(HelperInputBox, OnlyAClickOnCancelEndsTheDialog)
{
    Open("Helper.exe C:\\Data\\memo.txt");
    /* the same id with another notification code is no click */
    InputBoxDlgProc(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_DOUBLECLICKED), 0);
    InputBoxDlgProc(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_SETFOCUS), 0);
    EXPECT_TRUE(IsWindowVisible(box));
    /* ending a modeless dialog hides it */
    InputBoxDlgProc(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindowVisible(box));
}

} // namespace
