/*
 * Install through the wizard with the real Setup.exe: the folder page,
 * the folder's creation, the copies, the data files, the registry and the
 * uninstall entry, and the folder opened afterwards. Which folder texts
 * are taken, and how they are made absolute, is the unit tests' (the
 * folder check in tests/unit/wizard_test.cpp).
 */
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "setup_fixture.h"

namespace {

/* text in code page 932 as the wide text a user types */
std::wstring Wide(const std::string &text)
{
    wchar_t wide[2 * MAX_PATH];
    return MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 2 * MAX_PATH) ? wide : L"";
}

class Install : public SetupTest {
protected:
    void Continue(const std::string &folder)
    {
        SetControlText(wizard, IDC_FOLDER_EDIT, folder);
        PressButton(wizard, IDOK);
    }
};

TEST_F(Install, TwoLevelsOfMissingFolderAfterOneQuestion)
{
    std::string folder = TestRoot() + "Apps\\Veskaro\\Quorvane\\";
    ASSERT_TRUE(OpenFolderPage());
    Continue(folder);
    ASSERT_TRUE(AnswerBox(SETUP_CREATE_QUESTION, IconQuestion, IDYES));
    HWND done = WaitForMessageBox(&setup);
    EXPECT_TRUE(IsSetupBox(done, SETUP_INSTALLED_TEXT, IconInformation));
    EXPECT_TRUE(IsRunning(&setup)) << "the completion box is shown before the end";
    PressButton(done, IDOK);
    EXPECT_EQ(0u, WaitForExit(&setup));

    EXPECT_TRUE(HasProductFiles(folder));
    /* each folder made with its own permissions: Wine turns them into a
       mode that gives others nothing, where inherited ones report Everyone */
    EXPECT_EQ(0, EveryoneAccess(folder));
    EXPECT_EQ(0, EveryoneAccess(TestRoot() + "Apps\\"));
    EXPECT_NE(0, EveryoneAccess(TestRoot())) << "the folder above proves nothing";
    std::string keywords;
    ASSERT_TRUE(ReadFileBytes(folder + QV_KEYWORD_FILE, &keywords));
    EXPECT_EQ("", keywords);
    EXPECT_TRUE(HasRecord(folder));
    std::string name;
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", &name));
    EXPECT_EQ(std::string(QV_DISPLAY_NAME) + '\0', name);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kMainKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kOptionKey));
    /* the media folder itself is untouched */
    EXPECT_EQ(MediaRows().size(), FolderEntries(media).size());
}

TEST_F(Install, ExistingKeywordFileIsKept)
{
    std::string folder = TestRoot() + "Kept\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    std::string keywords = Record("memo", "C:\\Data\\memo.txt");
    ASSERT_TRUE(WriteFileBytes(folder + QV_KEYWORD_FILE, keywords));
    ASSERT_TRUE(WriteFileBytes(folder + QV_SETTINGS_FILE, "old settings"));
    ASSERT_TRUE(WriteFileBytes(folder + QV_MAIN_EXE, "older program"));
    ASSERT_TRUE(OpenFolderPage());
    Continue(WithoutBackslash(folder));
    /* an existing folder: no question; recorded with its backslash */
    ASSERT_TRUE(EndsWithBox(SETUP_INSTALLED_TEXT, IconInformation, 0));
    std::string data;
    ASSERT_TRUE(ReadFileBytes(folder + QV_KEYWORD_FILE, &data));
    EXPECT_EQ(keywords, data);
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(HasRecord(folder));
}

TEST_F(Install, SecondContinueBehindTheFatalBoxDoesNothing)
{
    ASSERT_TRUE(DeleteFileA((media + MediaNameOf(QV_HELPER_EXE)).c_str()));
    std::string folder = TestRoot() + "Broken\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(OpenFolderPage());
    Continue(folder);
    HWND fatal = WaitForMessageBox(&setup);
    ASSERT_TRUE(IsSetupBox(fatal, SETUP_FATAL_TEXT, IconError));
    /* the user puts the file back and presses 続行 once more: the box has
       no owner, so the wizard takes the click, and drops it */
    ASSERT_TRUE(CopyFileA(BinFile(QV_HELPER_EXE).c_str(),
                          (media + MediaNameOf(QV_HELPER_EXE)).c_str(), FALSE));
    EXPECT_TRUE(ClickAndWait(wizard, IDOK)) << "a second install runs inside the first";
    PressButton(fatal, IDOK);
    EXPECT_TRUE(EndedWith(WaitForExit(&setup), kExitFailed));
    EXPECT_FALSE(FileExists(folder + QV_HELPER_EXE));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Install, MediaComesFromSetupsOwnFolder)
{
    /* started with another current directory, one that holds decoys of
       the media's names */
    std::string decoys = TestRoot() + "decoys\\";
    ASSERT_TRUE(MakeFreshFolder(decoys));
    for (const ProductFile *row : MediaRows())
        ASSERT_TRUE(WriteFileBytes(decoys + row->mediaName, "decoy"));
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(StartSetup(decoys));
    wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    PressButton(wizard, IDOK);
    ASSERT_TRUE(WaitForControlShown(wizard, IDC_BROWSE));
    Continue(folder);
    ASSERT_TRUE(EndsWithBox(SETUP_INSTALLED_TEXT, IconInformation, 0));
    EXPECT_TRUE(HasProductFiles(folder));
}

TEST_F(Install, EveryRefusedFolderKeepsTheWizardOnItsPage)
{
    /* one wizard, its folder page refusing one folder after another:
       each gets its box and leaves nothing made and nothing recorded */
    const std::string open = TestRoot() + "Open\\", declined = TestRoot() + "NotWanted\\";
    ASSERT_TRUE(WriteFileBytes(TestRoot() + "plain.txt", "x"));
    /* a folder everyone may change, as the install folder or above it */
    ASSERT_TRUE(MakeFreshFolder(open) && LetEveryoneChange(open));
    ASSERT_NE(0, EveryoneAccess(open) & DELETE);
    const std::string unsafe = SETUP_UNSAFE_FOLDER_BEFORE + open + SETUP_UNSAFE_FOLDER_AFTER;
    struct Box {
        std::string text;
        BoxIcon icon;
        int button;
    };
    const struct Row {
        const char *what;
        std::wstring typed;
        std::vector<Box> boxes;
    } rows[] = {
        {"too short", L"C:", {{SETUP_FOLDER_PROMPT, IconWarning, IDOK}}},
        /* é has no form in code page 932; the ANSI box would say Cafe */
        {"a name code page 932 cannot hold", L"C:\\qvtest\\Caf\u00e9",
         {{SETUP_FOLDER_PROMPT, IconWarning, IDOK}}},
        {"others may change it", Wide(open), {{unsafe, IconWarning, IDOK}}},
        {"others may change the folder above", Wide(open + "Quorvane\\"),
         {{unsafe, IconWarning, IDOK}}},
        {"the media folder", Wide(media), {{SETUP_MEDIA_FOLDER_TEXT, IconWarning, IDOK}}},
        /* through an existing file: no folder can be made there */
        {"a folder that cannot be made", Wide(TestRoot() + "plain.txt\\sub\\"),
         {{SETUP_CREATE_QUESTION, IconQuestion, IDYES},
          {SETUP_CREATE_FAILED_TEXT, IconError, IDOK}}},
        {"its creation declined", Wide(declined), {{SETUP_CREATE_QUESTION, IconQuestion, IDNO}}},
    };
    const std::vector<std::string> before = FolderEntries(TestRoot());
    const std::map<std::string, std::string> mediaBefore = FolderContents(media);
    ASSERT_TRUE(OpenFolderPage());
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        SetControlTextWide(wizard, IDC_FOLDER_EDIT, row.typed);
        PressButton(wizard, IDOK);
        for (const Box &box : row.boxes)
            ASSERT_TRUE(AnswerBox(box.text.c_str(), box.icon, box.button));
        EXPECT_TRUE(StillOnFolderPage());
        EXPECT_EQ(before, FolderEntries(TestRoot()));
        EXPECT_EQ(std::vector<std::string>(), FolderEntries(open));
        EXPECT_EQ(mediaBefore, FolderContents(media));
        EXPECT_TRUE(NothingRecorded());
    }

    /* a second try on the same page works */
    Continue(declined);
    ASSERT_TRUE(AnswerBox(SETUP_CREATE_QUESTION, IconQuestion, IDYES));
    ASSERT_TRUE(EndsWithBox(SETUP_INSTALLED_TEXT, IconInformation, 0));
    EXPECT_TRUE(FileExists(declined + QV_MAIN_EXE));
}

TEST_F(Install, SetupReplacedOnTheMediaWhileTheWizardWaitsIsNeverInstalled)
{
    /* someone who may write the media folder (a download folder) renames
       the running Setup.exe away and puts another program in its place */
    const std::string exe = media + QV_SETUP_EXE, folder = TestRoot() + "Installed\\";
    std::string ran, installed;
    ASSERT_TRUE(ReadFileBytes(exe, &ran));
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(OpenFolderPage());
    if (MoveFileA(exe.c_str(), (media + "away.exe").c_str()))
        ASSERT_TRUE(CopyFileA(BinFile(QV_HELPER_EXE).c_str(), exe.c_str(), FALSE));
    Continue(folder);
    HWND box = WaitForMessageBox(&setup);
    if (IsSetupBox(box, SETUP_INSTALLED_TEXT, IconInformation)) {
        EXPECT_TRUE(ReadFileBytes(folder + QV_SETUP_EXE, &installed));
        EXPECT_TRUE(installed == ran) << "the installed Setup.exe is not the one that ran";
    } else {
        EXPECT_TRUE(IsSetupBox(
            box, (SETUP_MEDIA_CHANGED_BEFORE + exe + SETUP_MEDIA_CHANGED_AFTER).c_str(), IconError));
        EXPECT_TRUE(NothingRecorded());
    }
    PressButton(box, IDOK);
    WaitForExit(&setup);
}

TEST_F(Install, FolderInPlaceOfTheKeywordFileIsFatal)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(MakeFreshFolder(folder + QV_KEYWORD_FILE + "\\"));
    ASSERT_TRUE(OpenFolderPage());
    Continue(folder);
    ASSERT_TRUE(EndsWithBox(SETUP_FATAL_TEXT, IconError, kExitFailed));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Install, RecordThatCannotBeWrittenIsFatal)
{
    /* the settings are there, but the record cannot be made below a
       volatile product key: an install that recorded nothing could never
       be updated or uninstalled */
    ASSERT_TRUE(CreateVolatileKey(HKEY_CURRENT_USER, kProductKey));
    ASSERT_TRUE(CreateVolatileKey(HKEY_CURRENT_USER, kMainKey));
    ASSERT_TRUE(CreateVolatileKey(HKEY_CURRENT_USER, kOptionKey));
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(OpenFolderPage());
    Continue(folder);
    ASSERT_TRUE(EndsWithBox(SETUP_FATAL_TEXT, IconError, kExitFailed));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSetupKey));
    /* the machine's record, written first, goes with the files */
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineProductKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_EQ(std::vector<std::string>(), FolderEntries(folder));
}

TEST_F(Install, FolderAboveMadeByAnotherWhileTheQuestionWaitsIsChecked)
{
    /* the typed folder's parent does not exist when it is checked; another
       program (on Windows, another account) makes it, open to everyone,
       while the create question waits */
    std::string parent = TestRoot() + "race\\", folder = parent + "Q\\";
    ASSERT_TRUE(OpenFolderPage());
    Continue(folder);
    HWND question = WaitForMessageBox(&setup);
    ASSERT_TRUE(IsSetupBox(question, SETUP_CREATE_QUESTION, IconQuestion, MB_YESNO));
    ASSERT_TRUE(MakeFreshFolder(parent));
    ASSERT_TRUE(LetEveryoneChange(parent));
    PressButton(question, IDYES);
    ASSERT_TRUE(WaitForWindowGone(question));
    ASSERT_TRUE(AnswerBox((SETUP_UNSAFE_FOLDER_BEFORE + parent + SETUP_UNSAFE_FOLDER_AFTER).c_str(),
                          IconWarning, IDOK));
    EXPECT_TRUE(StillOnFolderPage());
    /* nothing installed there, and nothing names it */
    EXPECT_EQ(std::vector<std::string>(), FolderEntries(parent));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Install, TypedTextWinsOverTheBrowser)
{
    ASSERT_TRUE(OpenFolderPage());
    PressButton(wizard, IDC_BROWSE);
    /* the shell's folder browser, owned by the wizard */
    HWND browser = WaitForOtherDialog(&setup, wizard, IDOK);
    ASSERT_NE(nullptr, browser);
    PressButton(browser, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(browser));
    EXPECT_EQ(kDefaultFolder, ControlText(wizard, IDC_FOLDER_EDIT))
        << "a cancelled browser changes nothing";

    std::string folder = TestRoot() + "Typed\\";
    Continue(folder);
    ASSERT_TRUE(AnswerBox(SETUP_CREATE_QUESTION, IconQuestion, IDYES));
    ASSERT_TRUE(EndsWithBox(SETUP_INSTALLED_TEXT, IconInformation, 0));
    EXPECT_TRUE(HasRecord(folder));
}

TEST_F(Install, CompletedRunOpensTheFolder)
{
    std::string folder = TestRoot() + "Opened\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(OpenFolderPage());
    Continue(folder);
    ASSERT_TRUE(EndsWithBox(SETUP_INSTALLED_TEXT, IconInformation, 0));
    /* through the machine's folder class, whose command runs on in
       Setup's job */
    EXPECT_EQ(folder, OpenedFolder(&setup));
}

TEST_F(Install, FailedInstallRemovesTheFoldersItMade)
{
    ASSERT_TRUE(BuildMedia(media, MediaNameOf(QV_HELPER_EXE)));
    std::vector<std::string> before = FolderEntries(TestRoot());
    EXPECT_TRUE(RunsSilently("/S /D=" + TestRoot() + "New\\Deeper", SilentFailed));
    EXPECT_EQ(before, FolderEntries(TestRoot()));
    EXPECT_TRUE(NothingRecorded());
}

} // namespace
