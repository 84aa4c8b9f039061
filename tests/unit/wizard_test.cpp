/*
 * The wizard opened in this process with SetupDlgProc on the "SETUPMAIN"
 * template linked into the test program: each mode's layout, the fonts,
 * and the clicks it handles.
 */
#include <string.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "setup/resource.h"
#include "setup/setup.h"
#include "setup/texts.h"
#include "setup/wizard.h"
#include "tests/support/support.h"

namespace {

/* the wizard opened here, modeless, in one mode; a box it opens is
   caught and dismissed at once, never waited in. Nothing here should
   wait, so a test that does is ended by its deadline. */
class WizardDialog : public ::testing::Test {
protected:
    Deadline deadline{kDialogDeadlineMs, "the wizard's test to begin"};
    HWND dialog = NULL;
    BoxCatcher boxes;

    ::testing::AssertionResult Open(SetupModeKind mode)
    {
        static const char *const kModes[] = {"Install", "Update", "Uninstall",
                                             "NewerInstalled"};
        deadline.Waiting(std::string("SETUPMAIN to open in this process (CreateDialogParamA, "
                                     "SetupDlgProc, mode ") + kModes[mode] + ")");
        SetupMode = mode;
        FolderPageShown = 0;
        dialog = CreateDialogParamA(GetModuleHandleA(NULL), "SETUPMAIN", NULL,
                                    SetupDlgProc, 0);
        deadline.Waiting("the test's calls on the open wizard");
        if (dialog == NULL)
            return ::testing::AssertionFailure() << "the wizard does not open";
        return ::testing::AssertionSuccess();
    }
    void TearDown() override
    {
        deadline.Waiting("the wizard to be destroyed");
        if (dialog != NULL)
            DestroyWindow(dialog);
    }
    int Visible(int id)
    {
        return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    std::string Text(int id)
    {
        char text[512];
        GetDlgItemTextA(dialog, id, text, sizeof(text));
        return text;
    }
};

/* the large font of a control: 32 pixels at 96 DPI, Arial, the weight */
::testing::AssertionResult HasLargeFont(HWND control, LONG weight)
{
    HFONT font = (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
    LOGFONTA f;
    if (font == NULL || GetObjectA(font, sizeof(f), &f) != (int)sizeof(f))
        return ::testing::AssertionFailure() << "no font of its own";
    if (f.lfHeight != 32 || f.lfWidth != 0 || f.lfWeight != weight || f.lfItalic ||
        f.lfUnderline || f.lfStrikeOut || f.lfCharSet != ANSI_CHARSET ||
        strcmp(f.lfFaceName, "Arial") != 0)
        return ::testing::AssertionFailure() << "font " << f.lfFaceName << " " << f.lfHeight
                                             << " weight " << f.lfWeight;
    return ::testing::AssertionSuccess();
}

TEST_F(WizardDialog, EachModeShowsItsTextsAndControls)
{
    struct Row {
        SetupModeKind mode;
        const char *word, *message;
        int note;
    } rows[] = {
        {Install, SETUP_INSTALL_WORD, SETUP_INSTALL_MESSAGE, 0},
        {Update, SETUP_UPDATE_WORD, SETUP_UPDATE_MESSAGE, 0},
        /* the note on what stays behind */
        {Uninstall, SETUP_UNINSTALL_WORD, SETUP_UNINSTALL_MESSAGE, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.word);
        ASSERT_TRUE(Open(row.mode));
        EXPECT_EQ(row.word, Text(IDC_MODE_WORD));
        EXPECT_EQ(row.message, Text(IDC_PAGE_MESSAGE));
        EXPECT_EQ(row.note, Visible(IDC_UNINSTALL_NOTE));
        /* the folder controls belong to the install's folder page */
        EXPECT_FALSE(Visible(IDC_FOLDER_EDIT));
        EXPECT_FALSE(Visible(IDC_BROWSE));
        EXPECT_TRUE(Visible(IDC_PAGE_MESSAGE));
        EXPECT_TRUE(Visible(IDC_PAGE_FRAME));
        EXPECT_TRUE(IsCentredOnScreen(dialog)) << "centring also shows the dialog";
        DestroyWindow(dialog);
        dialog = NULL;
    }
}

TEST_F(WizardDialog, LargeFontsLiveAsLongAsTheDialog)
{
    ASSERT_TRUE(Open(Install));
    EXPECT_TRUE(HasLargeFont(GetDlgItem(dialog, IDC_PRODUCT_TITLE), 700));
    EXPECT_TRUE(HasLargeFont(GetDlgItem(dialog, IDC_MODE_WORD), 500));
    HFONT title = (HFONT)SendDlgItemMessageA(dialog, IDC_PRODUCT_TITLE, WM_GETFONT, 0, 0);
    HFONT mode = (HFONT)SendDlgItemMessageA(dialog, IDC_MODE_WORD, WM_GETFONT, 0, 0);
    EXPECT_NE(title, mode);
    EXPECT_EQ((DWORD)OBJ_FONT, GetObjectType(title));

    DestroyWindow(dialog);
    dialog = NULL;
    EXPECT_EQ(0u, GetObjectType(title)) << "the title font was not deleted";
    EXPECT_EQ(0u, GetObjectType(mode)) << "the mode font was not deleted";
}

TEST_F(WizardDialog, OnlyClicksOfTheThreeButtonsAreHandled)
{
    ASSERT_TRUE(Open(Install));
    /* a notification other than a click (code 1) is not a press */
    EXPECT_FALSE(SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0) &&
                 FolderPageShown);
    EXPECT_EQ(0, FolderPageShown);
    EXPECT_FALSE(Visible(IDC_FOLDER_EDIT));
    /* an unknown id is not handled */
    EXPECT_FALSE(SetupDlgProc(dialog, WM_COMMAND, 4242, 0));

    /* the first 続行 only switches to the folder page */
    EXPECT_TRUE(SetupDlgProc(dialog, WM_COMMAND, IDOK, 0));
    EXPECT_EQ(1, FolderPageShown);
    EXPECT_TRUE(Visible(IDC_FOLDER_EDIT));
    EXPECT_TRUE(Visible(IDC_BROWSE));
    EXPECT_EQ(SETUP_FOLDER_PROMPT, Text(IDC_PAGE_MESSAGE));
    EXPECT_EQ(SETUP_DEFAULT_FOLDER, Text(IDC_FOLDER_EDIT));
    EXPECT_TRUE(boxes.Texts().empty()) << "a box opened: " << boxes.Texts()[0];
}

} // namespace
