/*
 * Uninstall with the real Setup.exe: the program files and every key of
 * the product go, the keyword file, Setup.exe and the folder stay; a file
 * in use or one that cannot be deleted keeps everything, so that the
 * uninstall can run again; and a recorded folder that others may change
 * is left as it is.
 */
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "helper/resource.h"
#include "setup_fixture.h"

namespace {

class Uninstall : public SetupTest {};

TEST_F(Uninstall, UninstallRemovesProgramFilesAndKeys)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kThisVersion));
    ASSERT_TRUE(AddVerbKeys());
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", QV_DISPLAY_NAME));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, "Software\\Veskaro\\Other"));
    ASSERT_TRUE(RunOperation(SETUP_UNINSTALLED_TEXT, IconInformation, 0));

    EXPECT_TRUE(ProgramFilesRemoved(folder));
    EXPECT_TRUE(FileExists(folder + QV_SETUP_EXE));
    EXPECT_TRUE(FileExists(folder + "Other.txt"));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_TRUE(FolderExists(folder));

    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Veskaro\\Other"));
    EXPECT_TRUE(NoVerbKeys());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    /* the folder is opened for what is left */
    EXPECT_EQ(folder, OpenedFolder(&setup));
}

TEST_F(Uninstall, AnotherAccountFindsTheMachinesRecord)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(RunsSilently("/S /D=" + folder, 0));
    ASSERT_TRUE(HasRecord(folder));
    ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Veskaro\\Other"));
    /* an account whose own registry holds nothing of the product */
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Veskaro");
    ASSERT_TRUE(OpenWizard());
    EXPECT_EQ(SETUP_UNINSTALL_WORD, ControlText(wizard, IDC_MODE_WORD));
    PressButton(wizard, IDOK);
    ASSERT_TRUE(EndsWithBox(SETUP_UNINSTALLED_TEXT, IconInformation, 0));
    EXPECT_TRUE(ProgramFilesRemoved(folder));
    EXPECT_TRUE(NothingRecorded());
    /* the maker's key stays while another product of the maker is in it */
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMachineMakerKey));

    ASSERT_TRUE(RunsSilently("/S /D=" + folder, 0));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Veskaro\\Other");
    ASSERT_TRUE(RunsSilently("/S /UNINSTALL", 0));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineMakerKey)) << "left empty";
}

TEST_F(Uninstall, HelperStartedWhileTheWizardIsOpenStopsItsContinue)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kThisVersion));
    ASSERT_TRUE(CopyFileA(BinFile(QV_HELPER_EXE).c_str(), (folder + QV_HELPER_EXE).c_str(), FALSE));
    ASSERT_TRUE(OpenWizard());
    Program helper;
    ASSERT_TRUE(StartProgram(&helper, folder + QV_HELPER_EXE, "C:\\Data\\memo.txt", NULL));
    ASSERT_NE(nullptr, WaitForDialog(&helper, IDC_KEYWORD_EDIT));
    PressButton(wizard, IDOK);
    ASSERT_TRUE(EndsWithBox(SETUP_RUNNING_TEXT, IconError, 1));
    EXPECT_TRUE(FileExists(folder + QV_MAIN_EXE));
    EXPECT_TRUE(FileExists(folder + QV_HELPER_EXE));
    EXPECT_TRUE(RecordedVersionIs(kThisVersion));
}

TEST_F(Uninstall, FileInUseIsWaitedForOrDeletedAtTheRestart)
{
    /* the user holds the main program's settings open */
    std::string folder = TestRoot() + "Installed\\", settings = folder + QV_SETTINGS_FILE;
    ASSERT_TRUE(LayOutInstallation(folder, kThisVersion));
    const std::map<std::string, std::string> before = FolderContents(folder);
    HANDLE held = HoldFile(settings);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    /* the wizard asks; Cancel deletes nothing */
    std::string inUse = SETUP_IN_USE_BEFORE + settings + SETUP_IN_USE_AFTER;
    ASSERT_TRUE(OpenWizard());
    PressButton(wizard, IDOK);
    ASSERT_TRUE(AnswerBox(inUse.c_str(), IconWarning, IDCANCEL));
    ASSERT_TRUE(EndsWithBox(SETUP_FATAL_TEXT, IconError, kExitFailed));
    CloseHandle(held);
    EXPECT_EQ(before, FolderContents(folder));
    EXPECT_TRUE(RecordedVersionIs(kThisVersion));

    /* a deployment tool's uninstall completes: the file goes at the
       restart, and so does nothing else */
    held = HoldFile(settings);
    EXPECT_TRUE(RunsSilently("/S /UNINSTALL", SilentRestart));
    EXPECT_TRUE(NothingRecorded());
    EXPECT_EQ(1, PendingMentions(settings));
    EXPECT_TRUE(RunsSilently("/S /UNINSTALL", SilentDone));
    EXPECT_EQ(1, PendingMentions(settings));
    CloseHandle(held);
    ASSERT_TRUE(RestartWine());
    EXPECT_TRUE(ProgramFilesRemoved(folder));
    EXPECT_TRUE(NoTemporaryFiles(folder));
    EXPECT_TRUE(KeywordsKept(folder));
}

TEST_F(Uninstall, UninstallThatCannotDeleteAFileKeepsTheRecord)
{
    /* a folder where a file of the product should be cannot be deleted
       as a file, in use or not */
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kThisVersion));
    ASSERT_TRUE(DeleteFileA((folder + QV_README_FILE).c_str()));
    ASSERT_TRUE(MakeFreshFolder(folder + QV_README_FILE + "\\"));
    const std::map<std::string, std::string> before = FolderContents(folder);
    ASSERT_TRUE(RunOperation(SETUP_UNINSTALL_INCOMPLETE_TEXT, IconWarning, kExitFailed));
    EXPECT_EQ(before, FolderContents(folder)) << "the others are kept too";
    EXPECT_TRUE(RecordedVersionIs(kThisVersion));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSetupKey));
    EXPECT_TRUE(RunsSilently("/S /UNINSTALL", SilentFailed));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMachineSetupKey));
}

TEST_F(Uninstall, UninstallOfFilesDeletedByHandStillSucceeds)
{
    ASSERT_TRUE(RecordInstallation(kThisVersion, TestRoot() + "Gone\\"));
    ASSERT_TRUE(RunOperation(SETUP_UNINSTALLED_TEXT, IconInformation, 0));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

TEST_F(Uninstall, KeyWithAnUnknownSubkeyStaysAndTheRestGoes)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kThisVersion));
    ASSERT_TRUE(AddVerbKeys());
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, (std::string(kMainKey) + "\\Extra").c_str()));
    ASSERT_TRUE(RunOperation(SETUP_UNINSTALLED_TEXT, IconInformation, 0));

    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kMainKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOptionKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSetupKey));
    EXPECT_TRUE(NoVerbKeys());
    EXPECT_TRUE(ProgramFilesRemoved(folder));
}

TEST_F(Uninstall, QuietUninstallStringRemovesTheProduct)
{
    /* nothing recorded: nothing to remove */
    ASSERT_TRUE(RunsSilently("/S /UNINSTALL", 0));
    EXPECT_TRUE(NothingRecorded());

    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(RunsSilently("/S /D=" + folder, 0));
    ASSERT_TRUE(AddVerbKeys());
    std::string quiet;
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString", &quiet));
    ASSERT_TRUE(RunsSilentlyAs(folder + QV_SETUP_EXE, quiet.c_str(), 0));
    EXPECT_TRUE(ProgramFilesRemoved(folder));
    EXPECT_TRUE(FileExists(folder + QV_SETUP_EXE));
    EXPECT_TRUE(FileExists(folder + QV_KEYWORD_FILE));
    EXPECT_TRUE(NothingRecorded());
    EXPECT_TRUE(NoVerbKeys());

    /* over an older version's record too */
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    ASSERT_TRUE(RunsSilently("/S /UNINSTALL", 0));
    EXPECT_TRUE(ProgramFilesRemoved(folder));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

TEST_F(Uninstall, RecordedFolderOthersMayChangeIsLeftAsItIs)
{
    /* a journal and an old file planted in it would have a recovery move
       the planted file over the program */
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kThisVersion));
    ASSERT_TRUE(WriteFileBytes(folder + FILE_SWAP_JOURNAL,
                               Journal(JournalChange, 1, {QV_MAIN_EXE})));
    ASSERT_TRUE(WriteFileBytes(folder + QV_MAIN_EXE + FILE_OLD_SUFFIX, "planted"));
    ASSERT_TRUE(LetEveryoneChange(folder));
    const std::map<std::string, std::string> before = FolderContents(folder);
    std::string log = TestRoot() + "setup.log";
    EXPECT_TRUE(RunsSilently("/S /UNINSTALL /LOG=" + log, SilentFailed));
    EXPECT_EQ(before, FolderContents(folder));
    /* the record and the entry stay for a run after the permissions are
       mended */
    EXPECT_TRUE(RecordedVersionIs(kThisVersion));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos,
              text.find(BoxLine(SETUP_RECORDED_UNSAFE_BEFORE + folder +
                                SETUP_RECORDED_UNSAFE_AFTER)))
        << text;

    /* named only by this account's record, which any program of the
       user may write: no installation of this machine, nothing to do */
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kMachineMakerKey);
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString",
                            "\"" + folder + QV_SETUP_EXE + "\""));
    EXPECT_TRUE(RunsSilently("/S /UNINSTALL", SilentDone));
    EXPECT_EQ(before, FolderContents(folder));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

} // namespace
