/*
 * Install through the wizard with the real Setup.exe: the folder page,
 * the folder checks and creation, the copies, the data files, the
 * registry and the uninstall entry, and the fatal path of a broken media.
 */
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver.h"
#include "setup_fixture.h"

namespace {

class Install : public SetupTest {
protected:
    void Continue(const std::string &folder)
    {
        SetControlText(wizard, kFolderEdit, folder);
        PressButton(wizard, IDOK);
    }

    /* the completion box, then Setup ends with 0 */
    void ExpectCompleted()
    {
        AnswerBox(kInstalled, IconInformation, IDOK);
        EXPECT_EQ(0u, WaitForExit(&setup));
    }

    void ExpectStillOnFolderPage()
    {
        EXPECT_TRUE(IsRunning(&setup));
        EXPECT_TRUE(IsWindowVisible(wizard));
        EXPECT_TRUE(IsControlVisible(wizard, kFolderEdit));
        EXPECT_EQ(kFolderPrompt, ControlText(wizard, kPageMessage));
    }

    void ExpectProductFiles(const std::string &folder)
    {
        std::string data;
        for (int i = 0; i < MediaFileCount; i++) {
            SCOPED_TRACE(kInstalledNames[i]);
            ASSERT_TRUE(ReadFileBytes(folder + kInstalledNames[i], &data));
            std::string source;
            ASSERT_TRUE(ReadFileBytes(media + MediaName(i), &source));
            EXPECT_TRUE(data == source) << "not a byte copy of " << MediaName(i);
        }
        ASSERT_TRUE(ReadFileBytes(folder + "NoTitle.set", &data));
        EXPECT_EQ("", data);
    }

    void ExpectRecord(const std::string &folder)
    {
        std::string path;
        DWORD version = 0;
        EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, kSetupKey, "InstallPath", &path));
        EXPECT_EQ(folder + '\0', path);
        EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSetupKey, "Version", &version));
        EXPECT_EQ(130u, version);
        std::string command;
        EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", &command));
        EXPECT_EQ("\"" + folder + "Setup.exe\"" + '\0', command);
    }

    void ExpectNothingRecorded()
    {
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    }
};

TEST_F(Install, FirstContinueOnlyShowsTheFolderPage)
{
    ASSERT_TRUE(StartSetup());
    wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    SaveShot(wizard, "wizard-install-welcome");
    EXPECT_FALSE(IsControlVisible(wizard, kFolderEdit));
    EXPECT_FALSE(IsControlVisible(wizard, kBrowse));

    PressButton(wizard, IDOK);
    DWORD start = GetTickCount();
    while (!IsControlVisible(wizard, kFolderEdit) && GetTickCount() - start < kWaitMs)
        Sleep(50);
    EXPECT_TRUE(IsControlVisible(wizard, kFolderEdit));
    EXPECT_TRUE(IsControlVisible(wizard, kBrowse));
    EXPECT_FALSE(IsControlVisible(wizard, kUninstallNote));
    EXPECT_EQ(kDefaultFolder, ControlText(wizard, kFolderEdit));
    EXPECT_EQ(kFolderPrompt, ControlText(wizard, kPageMessage));
    EXPECT_EQ("Setup", ControlText(wizard, kModeWord));
    SaveShot(wizard, "wizard-install-folder");

    /* nothing happened yet */
    EXPECT_EQ(nullptr, WaitForMessageBox(&setup, 500));
    EXPECT_FALSE(FolderExists(kDefaultFolder));
    ExpectNothingRecorded();
}

TEST_F(Install, TwoLevelsOfMissingFolderAfterOneQuestion)
{
    std::string folder = TestRoot() + "Apps\\Veskaro\\Quorvane\\";
    OpenFolderPage();
    Continue(folder);
    HWND question = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, question);
    SaveShot(question, "box-create-folder");
    ExpectBox(question, kCreateQuestion, IconQuestion, 1);
    PressButton(question, IDYES);
    ASSERT_TRUE(WaitForWindowGone(question));

    HWND done = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, done);
    SaveShot(done, "box-install-complete");
    ExpectBox(done, kInstalled, IconInformation);
    EXPECT_TRUE(IsRunning(&setup)) << "the completion box is shown before the end";
    PressButton(done, IDOK);
    EXPECT_EQ(0u, WaitForExit(&setup));

    EXPECT_TRUE(FolderExists(folder));
    ExpectProductFiles(folder);
    std::string keywords;
    ASSERT_TRUE(ReadFileBytes(folder + "!Default.kws", &keywords));
    EXPECT_EQ("", keywords);
    ExpectRecord(folder);
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
        SaveShot(box, "box-folder-prompt");
        ExpectBox(box, kFolderPrompt, IconWarning);
        PressButton(box, IDOK);
        ASSERT_TRUE(WaitForWindowGone(box));
        ExpectStillOnFolderPage();
    }
    ExpectNothingRecorded();
}

TEST_F(Install, DeclinedCreationLeavesNoFolder)
{
    std::string folder = TestRoot() + "NotWanted\\";
    OpenFolderPage();
    Continue(folder);
    AnswerBox(kCreateQuestion, IconQuestion, IDNO);
    ExpectStillOnFolderPage();
    EXPECT_FALSE(FolderExists(folder));
    ExpectNothingRecorded();

    /* a second try on the same page works */
    Continue(folder);
    AnswerBox(kCreateQuestion, IconQuestion, IDYES);
    ExpectCompleted();
    EXPECT_TRUE(FileExists(folder + "Quorvane.exe"));
}

TEST_F(Install, FailedCreationKeepsTheFolderPage)
{
    ASSERT_TRUE(WriteFileBytes(TestRoot() + "plain.txt", "x"));
    OpenFolderPage();
    /* through an existing file: no folder can be made there */
    Continue(TestRoot() + "plain.txt\\sub\\");
    AnswerBox(kCreateQuestion, IconQuestion, IDYES);
    HWND box = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, box);
    SaveShot(box, "box-create-failed");
    ExpectBox(box, kCreateFailed, IconError);
    PressButton(box, IDOK);
    ASSERT_TRUE(WaitForWindowGone(box));
    ExpectStillOnFolderPage();
    ExpectNothingRecorded();
}

TEST_F(Install, RelativeFolderIsMadeBelowTheMedia)
{
    OpenFolderPage();
    Continue("abc");
    AnswerBox(kCreateQuestion, IconQuestion, IDYES);
    ExpectCompleted();
    ExpectProductFiles(media + "abc\\");
    ExpectRecord("abc\\");
}

TEST_F(Install, FolderWithoutBackslashIsRecordedWithOne)
{
    std::string folder = TestRoot() + "Tools";
    ASSERT_TRUE(MakeFreshFolder(folder));
    OpenFolderPage();
    Continue(folder);
    /* an existing folder: no question */
    ExpectCompleted();
    ExpectProductFiles(folder + "\\");
    ExpectRecord(folder + "\\");
}

TEST_F(Install, DoubleByteFolderGetsItsOwnBackslash)
{
    /* 表 ends in 0x5C: a byte-wise test would copy to ...表Quorvane.exe */
    std::string folder = TestRoot() + "表";
    OpenFolderPage();
    Continue(folder);
    AnswerBox(kCreateQuestion, IconQuestion, IDYES);
    ExpectCompleted();
    ExpectProductFiles(folder + "\\");
    ExpectRecord(folder + "\\");
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
    ExpectCompleted();
    std::string data;
    ASSERT_TRUE(ReadFileBytes(folder + "!Default.kws", &data));
    EXPECT_EQ(keywords, data);
    ExpectProductFiles(folder);
}

TEST_F(Install, OverlongFolderIsRefusedBeforeAnythingIsMade)
{
    /* 248 bytes of folder and the 12 of Quorvane.exe make 260 */
    std::string folder = TestRoot() + std::string(237, 'a') + "\\";
    ASSERT_EQ(248u, folder.size());
    OpenFolderPage();
    Continue(folder);
    AnswerBox(kFolderPrompt, IconWarning, IDOK);
    ExpectStillOnFolderPage();
    EXPECT_FALSE(FolderExists(folder));
    ExpectNothingRecorded();

    /* one byte less fits */
    std::string fits = TestRoot() + std::string(236, 'a') + "\\";
    Continue(fits);
    AnswerBox(kCreateQuestion, IconQuestion, IDYES);
    ExpectCompleted();
    ExpectProductFiles(fits);
    ExpectRecord(fits);
}

TEST_F(Install, MissingHelperOnTheMediaIsFatal)
{
    DeleteFileA((media + "Helper.ex_").c_str());
    std::string folder = TestRoot() + "Broken\\";
    OpenFolderPage();
    Continue(folder);
    AnswerBox(kCreateQuestion, IconQuestion, IDYES);
    HWND box = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, box);
    SaveShot(box, "box-fatal");
    ExpectBox(box, kFatal, IconError);
    PressButton(box, IDOK);
    EXPECT_EQ(0xFFFFFFFFu, WaitForExit(&setup));

    /* the five files before it were copied; nothing else happened */
    for (int i = 0; i < 5; i++)
        EXPECT_TRUE(FileExists(folder + kInstalledNames[i])) << kInstalledNames[i];
    EXPECT_FALSE(FileExists(folder + "Helper.exe"));
    EXPECT_FALSE(FileExists(folder + "NoTitle.set"));
    EXPECT_FALSE(FileExists(folder + "!Default.kws"));
    ExpectNothingRecorded();
}

TEST_F(Install, TypedTextWinsOverTheBrowser)
{
    OpenFolderPage();
    PressButton(wizard, kBrowse);
    /* the shell's folder browser, owned by the wizard */
    HWND browser = NULL;
    DWORD start = GetTickCount();
    while (browser == NULL && GetTickCount() - start < kWaitMs) {
        HWND found = WaitForDialog(&setup, IDOK, 200);
        if (found != NULL && found != wizard)
            browser = found;
    }
    ASSERT_NE(nullptr, browser);
    SaveShot(browser, "folder-browser");
    PressButton(browser, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(browser));
    EXPECT_EQ(kDefaultFolder, ControlText(wizard, kFolderEdit)) << "a cancelled browser changes nothing";

    std::string folder = TestRoot() + "Typed\\";
    Continue(folder);
    AnswerBox(kCreateQuestion, IconQuestion, IDYES);
    ExpectCompleted();
    ExpectRecord(folder);
}

TEST_F(Install, CompletedRunOpensTheFolder)
{
    std::string folder = TestRoot() + "Opened\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    OpenFolderPage();
    Continue(folder);
    AnswerBox(kInstalled, IconInformation, IDOK);
    EXPECT_EQ(0u, WaitForExit(&setup));
    /* the shell's window on the folder runs on in Setup's job */
    EXPECT_GE(JobProcessCount(&setup), 1);
}

} // namespace
