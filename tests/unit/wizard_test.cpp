/*
 * The wizard opened in this process with SetupDlgProc on the "SETUPMAIN"
 * template linked into the test program: each mode's layout, the fonts,
 * the clicks it handles; and the routines behind its folder page and its
 * end: which folder texts are taken and how, and what is opened.
 */
#include <string.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "setup/files.h"
#include "setup/resource.h"
#include "setup/setup.h"
#include "setup/texts.h"
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

/* the folder page's text, and /D=, into InstallPath */
TEST(FolderCheck, TakesFoldersAllTheProductsFilesFitBelowAndMakesThemAbsolute)
{
    /* the longest path below the folder: a file of the table, or the
       journal, under its temporary name while an update swaps it */
    size_t longest = strlen(FILE_SWAP_JOURNAL);
    for (const ProductFile &file : kProductFiles)
        longest = std::max(longest, strlen(file.name) + strlen(FILE_NEW_SUFFIX));
    const std::string fits = "C:\\" + std::string(MAX_PATH - 1 - longest - 4, 'a') + "\\";
    const std::string over = "C:\\" + std::string(MAX_PATH - longest - 4, 'a') + "\\";
    ASSERT_EQ((size_t)MAX_PATH - 1, fits.size() + longest);
    struct Row {
        std::string text, folder; /* folder empty: refused */
    } rows[] = {
        {"", ""},
        {"ab", ""},
        {"C:", ""},
        {"C:\\", "C:\\"},
        {"D:\\Tools", "D:\\Tools\\"},
        {"D:\\Tools\\", "D:\\Tools\\"},
        /* 表 ends in 0x5C: its own backslash still follows */
        {"D:\\表", "D:\\表\\"},
        {"\\\\server\\share\\Q", "\\\\server\\share\\Q\\"},
        /* made absolute against the current directory and drive */
        {"abc", "C:\\qvtest\\cwd\\abc\\"},
        {"..\\up", "C:\\qvtest\\up\\"},
        {"\\root", "C:\\root\\"},
        {fits, fits},
        {over, ""},
        {"C:\\" + std::string(300, 'a'), ""},
    };
    char previous[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryA(sizeof(previous), previous));
    ASSERT_TRUE(MakeFreshFolder("C:\\qvtest\\cwd\\"));
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\qvtest\\cwd\\"));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        memset(InstallPath, 'Z', sizeof(InstallPath));
        InstallPath[sizeof(InstallPath) - 1] = '\0';
        EXPECT_EQ(!row.folder.empty(), DecideInstallFolder(row.text.c_str()));
        if (!row.folder.empty())
            EXPECT_EQ(row.folder, std::string(InstallPath));
    }
    SetCurrentDirectoryA(previous);
    DeleteTree(TestRoot());
}

TEST(FolderOpening, OnlyAnExistingFolderWithItsBackslash)
{
    const std::string folder = TestRoot() + "opened\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(WriteFileBytes(TestRoot() + "x.bat", "echo ran\r\n"));
    EXPECT_TRUE(IsFolderToOpen(folder.c_str()));
    EXPECT_FALSE(IsFolderToOpen(WithoutBackslash(folder).c_str()));
    /* a recorded file with a backslash added would still be run */
    EXPECT_FALSE(IsFolderToOpen((TestRoot() + "x.bat\\").c_str()));
    EXPECT_FALSE(IsFolderToOpen((TestRoot() + "missing\\").c_str()));
    EXPECT_FALSE(IsFolderToOpen(""));
    DeleteTree(TestRoot());
}

TEST(FolderOpening, GoesThroughTheMachinesFolderClass)
{
    /* the class Setup opens: the machine's, marked here to tell it */
    const char kFolder[] = "SOFTWARE\\Classes\\Folder";
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kFolder, "QuorvaneTest", "machine"));
    HKEY folderClass = OpenFolderClass();
    ASSERT_NE(nullptr, folderClass);
    char mark[16] = "";
    DWORD size = sizeof(mark);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(folderClass, "QuorvaneTest", NULL, NULL,
                                              (BYTE *)mark, &size));
    EXPECT_STREQ("machine", mark);

    /* Wine merges no user classes, so the opening itself cannot show that
       it asks for the class it was given: what it asks for is read here */
    strcpy(InstallPath, "C:\\Tools\\");
    SHELLEXECUTEINFOA info;
    DescribeFolderOpening(&info, folderClass, NULL);
    EXPECT_EQ((ULONG)SEE_MASK_CLASSKEY, info.fMask & SEE_MASK_CLASSKEY);
    EXPECT_EQ((ULONG)SEE_MASK_FLAG_NO_UI, info.fMask & SEE_MASK_FLAG_NO_UI);
    EXPECT_EQ(folderClass, info.hkeyClass);
    EXPECT_STREQ("explore", info.lpVerb);
    EXPECT_EQ(InstallPath, info.lpFile);
    RegCloseKey(folderClass);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFolder, 0, KEY_SET_VALUE, &key));
    RegDeleteValueA(key, "QuorvaneTest");
    RegCloseKey(key);
}

/* a swap a killed Setup left, laid out file by file, and what the next
   run leaves of it */
TEST(InterruptedSwap, IsFinishedWhenEveryTargetWasSwappedAndUndoneOtherwise)
{
    const std::string folder = TestRoot() + "swapped\\";
    const std::string first = folder + kProductFiles[0].name, second = folder + kProductFiles[1].name;
    std::string journal(kProductFileCount, '-');
    struct Row {
        const char *what;
        const char *rows; /* the journal's first two rows */
        std::vector<std::pair<std::string, std::string>> before, after;
    } rows[] = {
        {"every target swapped: the old files go",
         "11",
         {{first, "new"}, {first + FILE_OLD_SUFFIX, "old"}, {second, "new"}},
         {{first, "new"}, {second, "new"}}},
        {"one swapped, one not: the old files come back",
         "11",
         {{first, "new"}, {first + FILE_OLD_SUFFIX, "old"}, {second, "old"},
          {second + FILE_NEW_SUFFIX, "new"}},
         {{first, "old"}, {second, "old"}}},
        {"one made where nothing was, one not swapped: the made one goes",
         "01",
         {{first, "new"}, {second, "old"}, {second + FILE_NEW_SUFFIX, "new"}},
         {{second, "old"}}},
        {"copies made, no journal: the copies go",
         NULL,
         {{first, "old"}, {first + FILE_NEW_SUFFIX, "new"}},
         {{first, "old"}}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(MakeFreshFolder(folder));
        for (const auto &file : row.before)
            ASSERT_TRUE(WriteFileBytes(file.first, file.second));
        if (row.rows != NULL) {
            journal.replace(0, 2, row.rows);
            ASSERT_TRUE(WriteFileBytes(folder + FILE_SWAP_JOURNAL, journal));
        }
        strcpy(InstallPath, folder.c_str());
        RecoverInterruptedChanges();
        std::vector<std::string> names;
        for (const auto &file : row.after) {
            std::string data;
            EXPECT_TRUE(ReadFileBytes(file.first, &data) && data == file.second) << file.first;
            names.push_back(file.first.substr(folder.size()));
        }
        std::vector<std::string> entries = FolderEntries(folder);
        std::sort(entries.begin(), entries.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, entries);
    }
    DeleteTree(TestRoot());
}

} // namespace
