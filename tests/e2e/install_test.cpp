/*
 * Install through the wizard with the real Setup.exe: the folder page,
 * the folder checks and creation, the copies, the data files, the
 * registry and the uninstall entry, and the fatal path of a broken media.
 */
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/support.h"
#include "setup_fixture.h"

namespace {

class Install : public SetupTest {
protected:
    void Continue(const std::string &folder)
    {
        SetControlText(wizard, kFolderEdit, folder);
        PressButton(wizard, IDOK);
    }
};

TEST_F(Install, FirstContinueOnlyShowsTheFolderPage)
{
    ASSERT_TRUE(StartSetup());
    wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_FALSE(IsControlVisible(wizard, kFolderEdit));
    EXPECT_FALSE(IsControlVisible(wizard, kBrowse));

    PressButton(wizard, IDOK);
    EXPECT_TRUE(WaitForControlShown(wizard, kFolderEdit));
    EXPECT_TRUE(IsControlVisible(wizard, kBrowse));
    EXPECT_FALSE(IsControlVisible(wizard, kUninstallNote));
    EXPECT_EQ(kDefaultFolder, ControlText(wizard, kFolderEdit));
    EXPECT_EQ(kFolderPrompt, ControlText(wizard, kPageMessage));
    EXPECT_EQ("Setup", ControlText(wizard, kModeWord));

    /* nothing happened yet */
    EXPECT_EQ(nullptr, WaitForMessageBox(&setup, 500));
    EXPECT_FALSE(FolderExists(kDefaultFolder));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Install, TwoLevelsOfMissingFolderAfterOneQuestion)
{
    std::string folder = TestRoot() + "Apps\\Veskaro\\Quorvane\\";
    OpenFolderPage();
    Continue(folder);
    HWND question = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, question);
    EXPECT_TRUE(IsSetupBox(question, kCreateQuestion, IconQuestion, MB_YESNO));
    PressButton(question, IDYES);
    ASSERT_TRUE(WaitForWindowGone(question));

    HWND done = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, done);
    EXPECT_TRUE(IsSetupBox(done, kInstalled, IconInformation));
    EXPECT_TRUE(IsRunning(&setup)) << "the completion box is shown before the end";
    PressButton(done, IDOK);
    EXPECT_EQ(0u, WaitForExit(&setup));

    EXPECT_TRUE(FolderExists(folder));
    EXPECT_TRUE(HasProductFiles(folder));
    std::string keywords;
    ASSERT_TRUE(ReadFileBytes(folder + "!Default.kws", &keywords));
    EXPECT_EQ("", keywords);
    EXPECT_TRUE(HasRecord(folder));
    std::string name;
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", &name));
    EXPECT_EQ(std::string("Veskaro Quorvane") + '\0', name);
    DWORD value = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kOptionKey, "UseActivateKeyCode", &value));
    EXPECT_EQ(18u, value);
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kMainKey, "History", &value));
    EXPECT_EQ(0u, value);
    /* the media folder itself is untouched */
    EXPECT_EQ(6u, FolderEntries(media).size());
}

TEST_F(Install, ShortTextIsRefusedAndTheWizardStays)
{
    OpenFolderPage();
    const char *texts[] = {"", "C:", "ab"};
    for (const char *text : texts) {
        SCOPED_TRACE(text);
        Continue(text);
        HWND box = WaitForMessageBox(&setup);
        ASSERT_NE(nullptr, box);
        EXPECT_TRUE(IsSetupBox(box, kFolderPrompt, IconWarning));
        PressButton(box, IDOK);
        ASSERT_TRUE(WaitForWindowGone(box));
        EXPECT_TRUE(StillOnFolderPage());
    }
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Install, DeclinedCreationLeavesNoFolder)
{
    std::string folder = TestRoot() + "NotWanted\\";
    OpenFolderPage();
    Continue(folder);
    ASSERT_TRUE(AnswerBox(kCreateQuestion, IconQuestion, IDNO));
    EXPECT_TRUE(StillOnFolderPage());
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_TRUE(NothingRecorded());

    /* a second try on the same page works */
    Continue(folder);
    ASSERT_TRUE(AnswerBox(kCreateQuestion, IconQuestion, IDYES));
    ASSERT_TRUE(EndsWithBox(kInstalled, IconInformation, 0));
    EXPECT_TRUE(FileExists(folder + "Quorvane.exe"));
}

TEST_F(Install, FailedCreationKeepsTheFolderPage)
{
    ASSERT_TRUE(WriteFileBytes(TestRoot() + "plain.txt", "x"));
    OpenFolderPage();
    /* through an existing file: no folder can be made there */
    Continue(TestRoot() + "plain.txt\\sub\\");
    ASSERT_TRUE(AnswerBox(kCreateQuestion, IconQuestion, IDYES));
    HWND box = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(IsSetupBox(box, kCreateFailed, IconError));
    PressButton(box, IDOK);
    ASSERT_TRUE(WaitForWindowGone(box));
    EXPECT_TRUE(StillOnFolderPage());
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Install, RelativeFolderIsRecordedAbsolute)
{
    /* made absolute against Setup's current directory, here the media */
    OpenFolderPage();
    Continue("abc");
    ASSERT_TRUE(AnswerBox(kCreateQuestion, IconQuestion, IDYES));
    ASSERT_TRUE(EndsWithBox(kInstalled, IconInformation, 0));
    EXPECT_TRUE(HasProductFiles(media + "abc\\"));
    EXPECT_TRUE(HasRecord(media + "abc\\"));
}

TEST_F(Install, NameCodePage932CannotHoldIsRefusedBeforeAnythingIsMade)
{
    std::vector<std::string> before = FolderEntries(TestRoot());
    OpenFolderPage();
    /* é has no form in code page 932; the ANSI box would say Cafe */
    SetControlTextWide(wizard, kFolderEdit, L"C:\\qvtest\\Caf\u00e9");
    PressButton(wizard, IDOK);
    ASSERT_TRUE(AnswerBox(kFolderPrompt, IconWarning, IDOK));
    EXPECT_TRUE(StillOnFolderPage());
    EXPECT_EQ(before, FolderEntries(TestRoot()));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Install, FolderWithoutBackslashIsRecordedWithOne)
{
    std::string folder = TestRoot() + "Tools";
    ASSERT_TRUE(MakeFreshFolder(folder));
    OpenFolderPage();
    Continue(folder);
    /* an existing folder: no question */
    ASSERT_TRUE(EndsWithBox(kInstalled, IconInformation, 0));
    EXPECT_TRUE(HasProductFiles(folder + "\\"));
    EXPECT_TRUE(HasRecord(folder + "\\"));
}

TEST_F(Install, DoubleByteFolderGetsItsOwnBackslash)
{
    /* 表 ends in 0x5C: a byte-wise test would copy to ...表Quorvane.exe */
    std::string folder = TestRoot() + "表";
    OpenFolderPage();
    Continue(folder);
    ASSERT_TRUE(AnswerBox(kCreateQuestion, IconQuestion, IDYES));
    ASSERT_TRUE(EndsWithBox(kInstalled, IconInformation, 0));
    EXPECT_TRUE(HasProductFiles(folder + "\\"));
    EXPECT_TRUE(HasRecord(folder + "\\"));
    EXPECT_FALSE(FileExists(folder + "Quorvane.exe"));
}

TEST_F(Install, ExistingKeywordFileIsKept)
{
    std::string folder = TestRoot() + "Kept\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    std::string keywords = "memo\r\nC:\\Data\\memo.txt\r\n\r\n";
    ASSERT_TRUE(WriteFileBytes(folder + "!Default.kws", keywords));
    ASSERT_TRUE(WriteFileBytes(folder + "NoTitle.set", "old settings"));
    ASSERT_TRUE(WriteFileBytes(folder + "Quorvane.exe", "older program"));
    OpenFolderPage();
    Continue(folder);
    ASSERT_TRUE(EndsWithBox(kInstalled, IconInformation, 0));
    std::string data;
    ASSERT_TRUE(ReadFileBytes(folder + "!Default.kws", &data));
    EXPECT_EQ(keywords, data);
    EXPECT_TRUE(HasProductFiles(folder));
}

TEST_F(Install, OverlongFolderIsRefusedBeforeAnythingIsMade)
{
    /* 248 bytes of folder and the 12 of Quorvane.exe make 260 */
    std::string folder = TestRoot() + std::string(237, 'a') + "\\";
    ASSERT_EQ(248u, folder.size());
    OpenFolderPage();
    Continue(folder);
    ASSERT_TRUE(AnswerBox(kFolderPrompt, IconWarning, IDOK));
    EXPECT_TRUE(StillOnFolderPage());
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_TRUE(NothingRecorded());

    /* one byte less fits */
    std::string fits = TestRoot() + std::string(236, 'a') + "\\";
    Continue(fits);
    ASSERT_TRUE(AnswerBox(kCreateQuestion, IconQuestion, IDYES));
    ASSERT_TRUE(EndsWithBox(kInstalled, IconInformation, 0));
    EXPECT_TRUE(HasProductFiles(fits));
    EXPECT_TRUE(HasRecord(fits));
}

TEST_F(Install, MissingHelperOnTheMediaIsFatal)
{
    DeleteFileA((media + "Helper.ex_").c_str());
    std::string folder = TestRoot() + "Broken\\";
    OpenFolderPage();
    Continue(folder);
    ASSERT_TRUE(AnswerBox(kCreateQuestion, IconQuestion, IDYES));
    ASSERT_TRUE(EndsWithBox(kFatal, IconError, 0xFFFFFFFF));

    /* the five files before it were copied; nothing else happened */
    for (int i = 0; i < 5; i++)
        EXPECT_TRUE(FileExists(folder + InstalledName(i))) << InstalledName(i);
    EXPECT_FALSE(FileExists(folder + "Helper.exe"));
    EXPECT_FALSE(FileExists(folder + "NoTitle.set"));
    EXPECT_FALSE(FileExists(folder + "!Default.kws"));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Install, SecondContinueBehindTheFatalBoxDoesNothing)
{
    DeleteFileA((media + "Helper.ex_").c_str());
    std::string folder = TestRoot() + "Broken\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    OpenFolderPage();
    Continue(folder);
    HWND fatal = WaitForMessageBox(&setup);
    EXPECT_TRUE(IsSetupBox(fatal, kFatal, IconError));
    /* the user puts the file back and presses 続行 once more: the box has
       no owner, so the wizard takes the click, and drops it */
    ASSERT_TRUE(CopyFileA(BinFile("Helper.exe").c_str(), (media + "Helper.ex_").c_str(), FALSE));
    EXPECT_TRUE(ClickAndWait(wizard, IDOK)) << "a second install runs inside the first";
    PressButton(fatal, IDOK);
    EXPECT_TRUE(EndedWith(WaitForExit(&setup), 0xFFFFFFFF));
    EXPECT_FALSE(FileExists(folder + "Helper.exe"));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Install, MediaComesFromSetupsOwnFolder)
{
    /* started with another current directory, one that holds decoys of
       the media's names */
    std::string decoys = TestRoot() + "decoys\\";
    ASSERT_TRUE(MakeFreshFolder(decoys));
    for (int i = 0; i < MediaFileCount; i++)
        ASSERT_TRUE(WriteFileBytes(decoys + MediaName(i), "decoy"));
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(StartSetup(decoys));
    wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    PressButton(wizard, IDOK);
    ASSERT_TRUE(WaitForControlShown(wizard, kFolderEdit));
    Continue(folder);
    ASSERT_TRUE(EndsWithBox(kInstalled, IconInformation, 0));
    EXPECT_TRUE(HasProductFiles(folder));
}

TEST_F(Install, IntoTheMediaFolderItself)
{
    /* Setup.exe and Readme.txt are their own targets there */
    OpenFolderPage();
    Continue(media);
    ASSERT_TRUE(EndsWithBox(kInstalled, IconInformation, 0));
    EXPECT_TRUE(HasProductFiles(media));
    EXPECT_TRUE(HasRecord(media));
}

TEST_F(Install, FolderInPlaceOfTheKeywordFileIsFatal)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(MakeFreshFolder(folder + "!Default.kws\\"));
    OpenFolderPage();
    Continue(folder);
    ASSERT_TRUE(EndsWithBox(kFatal, IconError, 0xFFFFFFFF));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Install, TypedTextWinsOverTheBrowser)
{
    OpenFolderPage();
    PressButton(wizard, kBrowse);
    /* the shell's folder browser, owned by the wizard */
    HWND browser = WaitForOtherDialog(&setup, wizard, IDOK);
    ASSERT_NE(nullptr, browser);
    PressButton(browser, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(browser));
    EXPECT_EQ(kDefaultFolder, ControlText(wizard, kFolderEdit)) << "a cancelled browser changes nothing";

    std::string folder = TestRoot() + "Typed\\";
    Continue(folder);
    ASSERT_TRUE(AnswerBox(kCreateQuestion, IconQuestion, IDYES));
    ASSERT_TRUE(EndsWithBox(kInstalled, IconInformation, 0));
    EXPECT_TRUE(HasRecord(folder));
}

TEST_F(Install, CompletedRunOpensTheFolder)
{
    std::string folder = TestRoot() + "Opened\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    OpenFolderPage();
    Continue(folder);
    ASSERT_TRUE(EndsWithBox(kInstalled, IconInformation, 0));
    /* the shell's window on the folder runs on in Setup's job, and shows
       the folder's name */
    HWND window = WaitForChildWindow(&setup);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("Opened", WindowText(window));
}

} // namespace
