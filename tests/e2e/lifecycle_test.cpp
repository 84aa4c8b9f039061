/*
 * Update, uninstall and cancel with the real Setup.exe, and the full
 * install, update, uninstall, install cycle.
 */
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "helper/resource.h"
#include "setup_fixture.h"

namespace {

/* the files an earlier Setup left that an uninstall removes */
std::vector<std::string> RemovedByUninstall()
{
    std::vector<std::string> names;
    for (const ProductFile &file : kProductFiles) {
        if (file.step[UninstallFiles] == RemoveFile)
            names.push_back(file.name);
    }
    return names;
}

/* every line of a log is one event: a time first, and no line break
   inside (a box's own line breaks become spaces) */
::testing::AssertionResult EveryLineIsOneEvent(const std::string &text)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
            return ::testing::AssertionFailure() << "no CR LF after byte " << at;
        std::string line = text.substr(at, end - at);
        if (line.size() < 20 || line.compare(0, 2, "20") != 0 || line[4] != '-' ||
            line[19] != ' ' || line.find_first_of("\r\n") != std::string::npos)
            return ::testing::AssertionFailure() << "a line that is no event: " << line;
        at = end + 2;
    }
    return ::testing::AssertionSuccess();
}

/* the log's last line: the end of the run, its exit code and what that
   means */
::testing::AssertionResult EndsWithCode(const std::string &text, long code)
{
    size_t start = text.rfind("\r\n", text.size() - 3);
    std::string last = text.substr(start == std::string::npos ? 0 : start + 2);
    std::string expected = "終了: 終了コード " + std::to_string(code) + " (";
    if (last.find(expected) != 20 || last.size() < 4 ||
        last.compare(last.size() - 3, 3, ")\r\n") != 0)
        return ::testing::AssertionFailure() << "the last line is " << last;
    return ::testing::AssertionSuccess();
}

/* every file of a folder and its bytes */
std::map<std::string, std::string> FolderContents(const std::string &folder)
{
    std::map<std::string, std::string> contents;
    for (const std::string &name : FolderEntries(folder))
        ReadFileBytes(folder + name, &contents[name]);
    return contents;
}

class Lifecycle : public SetupTest {
protected:
    /* an installed product as an earlier Setup left it */
    ::testing::AssertionResult LayOutInstallation(const std::string &folder, DWORD version)
    {
        int ok = MakeFreshFolder(folder);
        for (const ProductFile &file : kProductFiles)
            ok = ok && WriteFileBytes(folder + file.name, std::string("old ") + file.name);
        ok = ok && WriteFileBytes(folder + QV_KEYWORD_FILE, Keywords()) &&
             WriteFileBytes(folder + "Other.txt", "the user's") &&
             WriteDword(HKEY_CURRENT_USER, kOptionKey, "IsOnTop", 1);
        if (!ok)
            return ::testing::AssertionFailure() << "the installation cannot be laid out";
        return RecordInstallation(version, folder);
    }

    static std::string Keywords() { return Record("memo", "C:\\Data\\memo.txt"); }

    ::testing::AssertionResult AddVerbKeys()
    {
        for (const char *key : kVerbKeys) {
            std::string command = std::string(key) + "\\Command";
            if (!WriteString(HKEY_CLASSES_ROOT, command.c_str(), "",
                             "\"C:\\Tools\\Helper.exe\" \"%1\""))
                return ::testing::AssertionFailure() << "no verb key " << key;
        }
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult NoVerbKeys()
    {
        for (const char *key : kVerbKeys) {
            if (KeyExists(HKEY_CLASSES_ROOT, key))
                return ::testing::AssertionFailure() << "the verb key " << key << " stays";
        }
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult ProgramFilesRemoved(const std::string &folder)
    {
        for (const std::string &name : RemovedByUninstall()) {
            if (FileExists(folder + name))
                return ::testing::AssertionFailure() << name << " stays";
        }
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult KeywordsKept(const std::string &folder)
    {
        std::string data;
        if (!ReadFileBytes(folder + "!Default.kws", &data))
            return ::testing::AssertionFailure() << "the keyword file is gone";
        if (data != Keywords())
            return ::testing::AssertionFailure() << "the keyword file holds " << data;
        return ::testing::AssertionSuccess();
    }

    /* one run of the wizard through its operation, ending with its box */
    ::testing::AssertionResult RunThrough(const std::string &folder, const char *doneText)
    {
        if (doneText != SETUP_INSTALLED_TEXT)
            return RunOperation(doneText, IconInformation, 0);
        ::testing::AssertionResult page = OpenFolderPage();
        if (!page)
            return page;
        SetControlText(wizard, IDC_FOLDER_EDIT, folder);
        PressButton(wizard, IDOK);
        if (!FolderExists(folder)) {
            ::testing::AssertionResult question =
                AnswerBox(SETUP_CREATE_QUESTION, IconQuestion, IDYES);
            if (!question)
                return question;
        }
        return EndsWithBox(doneText, IconInformation, 0);
    }
};

TEST_F(Lifecycle, UpdateRewritesFilesAndKeepsOptionsAndKeywords)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    ASSERT_TRUE(RunOperation(SETUP_UPDATED_TEXT, IconInformation, 0));

    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_FALSE(FileExists(folder + QV_HELP_INDEX_FILE));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_TRUE(FileExists(folder + "Other.txt"));
    DWORD value = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kOptionKey, "IsOnTop", &value));
    EXPECT_EQ(1u, value) << "an option the user set was overwritten";
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kMainKey)) << "missing settings are seeded";
    EXPECT_TRUE(HasRecord(folder));
}

TEST_F(Lifecycle, UpdateWritesTheWholeUninstallEntryOfThisVersion)
{
    /* as a Setup that knew only these two left it */
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", QV_DISPLAY_NAME));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString",
                            folder + QV_SETUP_EXE));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "0.9"));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", 9));
    ASSERT_TRUE(RunsSilently("/S", kSilentDone));
    EXPECT_TRUE(HasRecord(folder));
    DWORD size = 0;
    EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", &size))
        << "what the earlier version left stays";
    std::string text;
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", &text));
    EXPECT_EQ(std::string(QV_VERSION_TEXT) + '\0', text);
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString", &text));
    EXPECT_EQ("\"" + folder + QV_SETUP_EXE + "\" /S /UNINSTALL" + '\0', text);
}

TEST_F(Lifecycle, UpdateOfATooLongRecordedFolderEndsBeforeCopying)
{
    /* 250 bytes read back fine, but Quorvane.exe no longer fits below it */
    std::string folder = "C:\\" + std::string(246, 'a') + "\\";
    ASSERT_TRUE(RecordInstallation(kOlderVersion, folder));
    ASSERT_TRUE(RunOperation(SETUP_FATAL_TEXT, IconError, 0xFFFFFFFF));
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion));
}

TEST_F(Lifecycle, UninstallRemovesProgramFilesAndKeys)
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

TEST_F(Lifecycle, AnotherAccountFindsTheMachinesRecord)
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

TEST_F(Lifecycle, HelperStartedWhileTheWizardIsOpenStopsItsContinue)
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

TEST_F(Lifecycle, UpdateWaitsWhileAFileIsInUse)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    /* the main program's file held open by a program that shares nothing */
    HANDLE held = CreateFileA((folder + QV_MAIN_EXE).c_str(), GENERIC_READ, 0, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::string inUse = SETUP_IN_USE_BEFORE + folder + QV_MAIN_EXE + SETUP_IN_USE_AFTER;
    ASSERT_TRUE(OpenWizard());
    PressButton(wizard, IDOK);
    /* Retry while it is still held asks again */
    ASSERT_TRUE(AnswerBox(inUse.c_str(), IconWarning, IDRETRY));
    HWND box = WaitForMessageBox(&setup);
    EXPECT_TRUE(IsSetupBox(box, inUse.c_str(), IconWarning, MB_RETRYCANCEL));
    EXPECT_EQ(GetAncestor(wizard, GA_ROOT), GetWindow(box, GW_OWNER)) << "not owned by the wizard";
    CloseHandle(held);
    PressButton(box, IDRETRY);
    ASSERT_TRUE(WaitForWindowGone(box));
    ASSERT_TRUE(EndsWithBox(SETUP_UPDATED_TEXT, IconInformation, 0));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(RecordedVersionIs(kThisVersion));
}

TEST_F(Lifecycle, FailedUpdateLeavesEveryFileAsItWas)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    const std::map<std::string, std::string> before = FolderContents(folder);
    /* the media's last file is missing, as on a scratched disc */
    ASSERT_TRUE(BuildMedia(media, MediaNameOf(QV_HELPER_EXE)));
    ASSERT_TRUE(RunOperation(SETUP_FATAL_TEXT, IconError, 0xFFFFFFFF));
    EXPECT_EQ(before, FolderContents(folder));
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion));
    EXPECT_TRUE(RunsSilently("/S", kSilentFailed));
    EXPECT_EQ(before, FolderContents(folder));
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion));
}

TEST_F(Lifecycle, UpdateOntoAFullDiskLeavesEveryFileAsItWas)
{
    const std::string drive = SmallDrive();
    if (drive.empty())
        GTEST_SKIP() << "no small drive S: (mounting one needs root)";
    std::string folder = drive + "Quorvane\\";
    DeleteTree(folder);
    DeleteTree(drive + "filler");
    ASSERT_TRUE(RunsSilently("/S /D=" + folder, kSilentDone));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kMachineSetupKey, kVersionValue, kOlderVersion));
    ASSERT_TRUE(FillDrive(drive));
    const std::map<std::string, std::string> before = FolderContents(folder);
    EXPECT_TRUE(RunsSilently("/S", kSilentFailed));
    EXPECT_EQ(before, FolderContents(folder));
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion, HKEY_LOCAL_MACHINE));
    DeleteTree(drive + "filler");
    DeleteTree(folder);
}

TEST_F(Lifecycle, FailedInstallRemovesTheFoldersItMade)
{
    ASSERT_TRUE(BuildMedia(media, MediaNameOf(QV_HELPER_EXE)));
    std::vector<std::string> before = FolderEntries(TestRoot());
    EXPECT_TRUE(RunsSilently("/S /D=" + TestRoot() + "New\\Deeper", kSilentFailed));
    EXPECT_EQ(before, FolderEntries(TestRoot()));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Lifecycle, ReadOnlyFilesInstallUpdateAndUninstallCleanly)
{
    /* media from a disc: every file read-only */
    for (const ProductFile *row : MediaRows())
        ASSERT_TRUE(SetFileAttributesA((media + row->mediaName).c_str(), FILE_ATTRIBUTE_READONLY));
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(RunsSilently("/S /D=" + folder, kSilentDone));
    for (const ProductFile *row : MediaRows())
        EXPECT_EQ(0u, GetFileAttributesA((folder + row->name).c_str()) & FILE_ATTRIBUTE_READONLY)
            << row->name;
    /* and one an earlier Setup left read-only */
    ASSERT_TRUE(SetFileAttributesA((folder + QV_MAIN_EXE).c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kMachineSetupKey, kVersionValue, kOlderVersion));
    ASSERT_TRUE(RunsSilently("/S", kSilentDone));
    EXPECT_TRUE(HasProductFiles(folder));
    ASSERT_TRUE(SetFileAttributesA((folder + QV_HELPER_EXE).c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(RunsSilently("/S /UNINSTALL", kSilentDone));
    EXPECT_TRUE(ProgramFilesRemoved(folder));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Lifecycle, UninstallOfAFileInUseDeletesNothingOnCancel)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kThisVersion));
    const std::map<std::string, std::string> before = FolderContents(folder);
    HANDLE held = CreateFileA((folder + QV_HELPER_EXE).c_str(), GENERIC_READ, 0, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::string inUse = SETUP_IN_USE_BEFORE + folder + QV_HELPER_EXE + SETUP_IN_USE_AFTER;
    ASSERT_TRUE(OpenWizard());
    PressButton(wizard, IDOK);
    ASSERT_TRUE(AnswerBox(inUse.c_str(), IconWarning, IDCANCEL));
    ASSERT_TRUE(EndsWithBox(SETUP_FATAL_TEXT, IconError, 0xFFFFFFFF));
    EXPECT_TRUE(RunsSilently("/S /UNINSTALL", kSilentBusy));
    CloseHandle(held);
    EXPECT_EQ(before, FolderContents(folder));
    EXPECT_TRUE(RecordedVersionIs(kThisVersion));
}

TEST_F(Lifecycle, UninstallThatCannotDeleteAFileKeepsTheRecord)
{
    /* a folder where a file of the product should be cannot be deleted
       as a file, in use or not */
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kThisVersion));
    ASSERT_TRUE(RecordInstallation(kThisVersion, folder, HKEY_LOCAL_MACHINE));
    ASSERT_TRUE(DeleteFileA((folder + QV_README_FILE).c_str()));
    ASSERT_TRUE(MakeFreshFolder(folder + QV_README_FILE + "\\"));
    ASSERT_TRUE(RunOperation(SETUP_UNINSTALL_INCOMPLETE_TEXT, IconWarning, 0));
    EXPECT_FALSE(FileExists(folder + QV_MAIN_EXE)) << "the others are deleted";
    EXPECT_TRUE(RecordedVersionIs(kThisVersion, HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSetupKey));
    EXPECT_TRUE(RunsSilently("/S /UNINSTALL", kSilentFailed));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kMachineSetupKey));
}

TEST_F(Lifecycle, UpdateKilledBeforeItsRenamesIsUndoneByTheNextRun)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    const std::map<std::string, std::string> before = FolderContents(folder);
    /* the copies are made, and the wizard waits at the Retry box */
    HANDLE held = CreateFileA((folder + QV_HELPER_EXE).c_str(), GENERIC_READ, 0, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_TRUE(OpenWizard());
    PressButton(wizard, IDOK);
    ASSERT_NE(nullptr, WaitForMessageBox(&setup));
    EndProgram(&setup);
    CloseHandle(held);
    EXPECT_NE(before, FolderContents(folder)) << "killed before its copies were made";

    std::string log = TestRoot() + "setup.log";
    ASSERT_TRUE(RunsSilently("/S /LOG=" + log, kSilentDone));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos, text.find("中断された変更を元に戻します")) << text;
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(HasRecord(folder));
    /* the temporary names gone */
    for (const std::string &name : FolderEntries(folder)) {
        EXPECT_EQ(std::string::npos, name.find(FILE_NEW_SUFFIX)) << name;
        EXPECT_EQ(std::string::npos, name.find(FILE_OLD_SUFFIX)) << name;
        EXPECT_NE(FILE_SWAP_JOURNAL, name);
    }
}

TEST_F(Lifecycle, UninstallOfFilesDeletedByHandStillSucceeds)
{
    ASSERT_TRUE(RecordInstallation(kThisVersion, TestRoot() + "Gone\\"));
    ASSERT_TRUE(RunOperation(SETUP_UNINSTALLED_TEXT, IconInformation, 0));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

TEST_F(Lifecycle, KeyWithAnUnknownSubkeyStaysAndTheRestGoes)
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

TEST_F(Lifecycle, CancelAnsweredNoKeepsThePage)
{
    ASSERT_TRUE(OpenFolderPage());
    SetControlText(wizard, IDC_FOLDER_EDIT, "D:\\Typed\\");

    PressButton(wizard, IDCANCEL);
    ASSERT_TRUE(AnswerBox(SETUP_CANCEL_QUESTION, IconQuestion, IDNO));
    EXPECT_TRUE(IsRunning(&setup));
    EXPECT_TRUE(IsControlVisible(wizard, IDC_FOLDER_EDIT));
    EXPECT_EQ("D:\\Typed\\", ControlText(wizard, IDC_FOLDER_EDIT));

    /* Esc and the close box ask the same */
    PressEscape(wizard);
    ASSERT_TRUE(AnswerBox(SETUP_CANCEL_QUESTION, IconQuestion, IDNO));
    PressClose(wizard);
    ASSERT_TRUE(AnswerBox(SETUP_CANCEL_QUESTION, IconQuestion, IDNO));
    EXPECT_TRUE(IsRunning(&setup));
    EXPECT_EQ("D:\\Typed\\", ControlText(wizard, IDC_FOLDER_EDIT));
}

TEST_F(Lifecycle, CancelAnsweredYesEndsWithNothingInstalled)
{
    const DWORD recorded[] = {0, kOlderVersion, kThisVersion};
    for (DWORD version : recorded) {
        SCOPED_TRACE(version);
        ResetProductRegistry();
        std::string folder = TestRoot() + "Installed\\";
        if (version != 0)
            ASSERT_TRUE(LayOutInstallation(folder, version));
        ASSERT_TRUE(OpenWizard());
        PressClose(wizard);
        ASSERT_TRUE(AnswerBox(SETUP_CANCEL_QUESTION, IconQuestion, IDYES));
        ASSERT_TRUE(EndsWithBox(SETUP_CANCELLED_TEXT, IconInformation, 0));
        /* nothing done, and no folder opened */
        EXPECT_TRUE(JobEmpties(&setup));
        if (version == 0) {
            EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
            EXPECT_FALSE(FolderExists(kDefaultFolder));
        } else {
            EXPECT_TRUE(RecordedVersionIs(version));
            std::string data;
            EXPECT_TRUE(ReadFileBytes(folder + QV_MAIN_EXE, &data));
            EXPECT_EQ(std::string("old ") + QV_MAIN_EXE, data);
        }
    }
}

TEST_F(Lifecycle, InstallUpdateUninstallInstallInOneFolder)
{
    std::string folder = TestRoot() + "Program Files\\Quorvane\\";
    ASSERT_TRUE(RunThrough(folder, SETUP_INSTALLED_TEXT));
    EXPECT_TRUE(FileExists(folder + QV_KEYWORD_FILE));
    ASSERT_TRUE(WriteFileBytes(folder + QV_KEYWORD_FILE, Keywords()));

    /* an older version recorded: this Setup updates */
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kMachineSetupKey, kVersionValue, kOlderVersion));
    ASSERT_TRUE(WriteFileBytes(folder + QV_MAIN_EXE, "stale"));
    ASSERT_TRUE(RunThrough(folder, SETUP_UPDATED_TEXT));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(KeywordsKept(folder));

    ASSERT_TRUE(RunThrough(folder, SETUP_UNINSTALLED_TEXT));
    EXPECT_TRUE(ProgramFilesRemoved(folder));
    EXPECT_TRUE(FileExists(folder + QV_SETUP_EXE));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_TRUE(NothingRecorded());

    /* installing again into the same folder keeps the user's keywords */
    ASSERT_TRUE(RunThrough(folder, SETUP_INSTALLED_TEXT));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_TRUE(HasRecord(folder));
}

/* silent runs, as deployment tools start them */

TEST_F(Lifecycle, SilentInstallIntoTheDefaultOrAGivenFolder)
{
    ASSERT_TRUE(RunsSilently("/S", 0));
    EXPECT_TRUE(HasProductFiles(kDefaultFolder));
    EXPECT_TRUE(HasRecord(kDefaultFolder));
    EXPECT_TRUE(FileExists(std::string(kDefaultFolder) + QV_KEYWORD_FILE));

    /* spaces and double-byte characters, no quotes, any case; the missing
       folders are made */
    ResetProductRegistry();
    std::string folder = TestRoot() + "Program Files\\ソフト 表\\Quorvane\\";
    ASSERT_TRUE(RunsSilently("/s /D=" + WithoutBackslash(folder), 0));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(HasRecord(folder));
    std::string quiet;
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString", &quiet));
    EXPECT_EQ("\"" + folder + QV_SETUP_EXE + "\" /S /UNINSTALL" + '\0', quiet);

    /* a pair of quotes around the folder is taken too */
    ResetProductRegistry();
    std::string quoted = TestRoot() + "Quoted Folder\\";
    ASSERT_TRUE(RunsSilently("/LOG=nul /S /D=\"" + quoted + "\"", 0));
    EXPECT_TRUE(HasRecord(quoted));
}

TEST_F(Lifecycle, SilentUpdateAndTheRunsThatChangeNothing)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    /* an update stays in the recorded folder */
    ASSERT_TRUE(RunsSilently("/S /D=" + TestRoot() + "Elsewhere", 0));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_FALSE(FolderExists(TestRoot() + "Elsewhere"));
    EXPECT_TRUE(RecordedVersionIs(kThisVersion));

    /* this version recorded: /S alone is never an uninstall */
    ASSERT_TRUE(WriteFileBytes(folder + QV_MAIN_EXE, "as the user left it"));
    ASSERT_TRUE(RunsSilently("/S", 0));
    std::string data;
    EXPECT_TRUE(ReadFileBytes(folder + QV_MAIN_EXE, &data));
    EXPECT_EQ("as the user left it", data);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSetupKey));

    /* a newer version recorded: nothing, /UNINSTALL or not */
    ASSERT_TRUE(RecordInstallation(kNewerVersion, folder, HKEY_LOCAL_MACHINE));
    ASSERT_TRUE(RunsSilently("/S /UNINSTALL", 0));
    EXPECT_TRUE(FileExists(folder + QV_MAIN_EXE));
    EXPECT_TRUE(RecordedVersionIs(kNewerVersion, HKEY_LOCAL_MACHINE));
}

TEST_F(Lifecycle, SilentUpdateOfAFileInUseEndsWithoutWaiting)
{
    /* no one can answer Retry: the run ends with its failure code */
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    HANDLE held = CreateFileA((folder + QV_HELPER_EXE).c_str(), GENERIC_READ, 0, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::string log = TestRoot() + "setup.log";
    EXPECT_TRUE(RunsSilently("/S /LOG=" + log, kSilentBusy));
    CloseHandle(held);
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion));

    /* the box it would have shown is one line of the log */
    std::string text, inUse = std::string("メッセージ: ") + SETUP_IN_USE_BEFORE + folder +
                              QV_HELPER_EXE + SETUP_IN_USE_AFTER;
    inUse.replace(inUse.find("\r\n"), 2, "  ");
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos, text.find(inUse + "\r\n")) << text;
    EXPECT_TRUE(EveryLineIsOneEvent(text));
}

TEST_F(Lifecycle, SilentUpdateBesideTheMainProgramOfAnotherSessionIsToBeTriedAgain)
{
    /* the main program of another session: its mutex is not seen from
       here, its program file is */
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    ASSERT_TRUE(CopyFileA(BinFile("QuorvaneStandIn.exe").c_str(), (folder + QV_MAIN_EXE).c_str(),
                          FALSE));
    Program main;
    ASSERT_TRUE(StartProgram(&main, folder + QV_MAIN_EXE, "--hidden --no-mutex", NULL));
    std::string before;
    ASSERT_TRUE(ReadFileBytes(folder + QV_README_FILE, &before));
    std::string log = TestRoot() + "setup.log";
    EXPECT_TRUE(RunsSilently("/S /LOG=" + log, kSilentBusy));
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion));
    std::string after;
    EXPECT_TRUE(ReadFileBytes(folder + QV_README_FILE, &after));
    EXPECT_EQ(before, after) << "a file was replaced";
    /* seen as the running program, before any copy meets its file */
    std::string running = std::string("メッセージ: ") + SETUP_RUNNING_TEXT;
    running.replace(running.find("\r\n"), 2, "  ");
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos, text.find(running)) << text;
}

TEST_F(Lifecycle, SilentLinesAreReadWordByWord)
{
    /* quoted whole, as PowerShell, .NET and Python quote a word with
       spaces */
    std::string folder = TestRoot() + "My 表 Apps\\Q\\";
    ASSERT_TRUE(RunsSilently("\"/S\" /NORESTART \"/D=" + folder + "\"", kSilentDone));
    EXPECT_TRUE(HasRecord(folder));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kMachineSetupKey, kVersionValue, kOlderVersion));

    /* nothing is done for a line that is not understood, and the log
       says at what */
    std::string log = TestRoot() + "setup.log";
    EXPECT_TRUE(RunsSilently("/S /UNINSTAL /LOG=" + log, kSilentNotUnderstood));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion, HKEY_LOCAL_MACHINE));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos, text.find("\"/UNINSTAL\"")) << text;
    EXPECT_TRUE(EndsWithCode(text, kSilentNotUnderstood));
    const char *lines[] = {"/S /D=", "/S /UNINSTALL \"/D=C:\\qvtest\\x\"",
                           "/S /D=C:\\qvtest\\Q6 /LOG=C:\\qvtest\\s6b.log"};
    for (const char *line : lines) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(RunsSilently(line, kSilentNotUnderstood));
    }
    EXPECT_FALSE(FileExists(TestRoot() + "s6b.log"));
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion, HKEY_LOCAL_MACHINE));
}

TEST_F(Lifecycle, SilentInstallRefusesAFolderCodePage932CannotHold)
{
    /* /D=C:\qvtest\Café would become C:\qvtest\Cafe */
    std::vector<std::string> before = FolderEntries(TestRoot());
    EXPECT_TRUE(
        RunsSilentlyWide(L"/LOG=C:\\qvtest\\media\\s.log /S /D=C:\\qvtest\\Caf\u00e9", kSilentFailed));
    EXPECT_EQ(before, FolderEntries(TestRoot()));
    EXPECT_TRUE(NothingRecorded());
    std::string text;
    ASSERT_TRUE(ReadFileBytes(media + "s.log", &text));
    EXPECT_NE(std::string::npos, text.find("\\Caf\x01\" に、このシステムで扱えない文字があります"))
        << text;
}

TEST_F(Lifecycle, QuietUninstallStringRemovesTheProduct)
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

TEST_F(Lifecycle, SilentFailuresEndInTheirCodeAndTheLogSaysWhy)
{
    std::string logs = TestRoot() + "my logs\\";
    ASSERT_TRUE(MakeFreshFolder(logs));
    std::string log = logs + "setup.log";
    std::string folder = TestRoot() + "Installed\\";
    const std::string logSwitch = "/LOG=\"" + log + "\"";

    ASSERT_TRUE(BuildMedia(media, MediaNameOf(QV_HELPER_EXE)));
    ASSERT_TRUE(RunsSilently(logSwitch + " /S /D=" + folder, kSilentFailed));
    EXPECT_TRUE(NothingRecorded());
    std::string first;
    ASSERT_TRUE(ReadFileBytes(log, &first));
    EXPECT_NE(std::string::npos,
              first.find(std::string("開始: Quorvane セットアップ ") + QV_VERSION_TEXT +
                         "、コマンド ライン "))
        << first;
    EXPECT_NE(std::string::npos, first.find("インストールの記録: なし\r\n")) << first;
    EXPECT_NE(std::string::npos, first.find("コピー: " + media + QV_README_FILE + " → " + folder +
                                            QV_README_FILE + "\r\n"))
        << first;
    EXPECT_NE(std::string::npos,
              first.find("失敗: コピー " + folder + QV_HELPER_EXE + " (エラー 2)\r\n"))
        << first;
    /* a box's own line break is no line break of the log */
    EXPECT_NE(std::string::npos, first.find(std::string("メッセージ: ") + SETUP_FATAL_TEXT + "\r\n"))
        << first;
    EXPECT_TRUE(EndsWithCode(first, kSilentFailed));

    /* refused folders, an unreadable record */
    EXPECT_TRUE(RunsSilently("/S /D=ab", kSilentFailed));
    EXPECT_TRUE(NothingRecorded());
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kSetupKey));
    EXPECT_TRUE(RunsSilently("/S /UNINSTALL", kSilentFailed));
    ResetProductRegistry();

    /* the next run is appended after the first, and an interactive run
       logs too */
    ASSERT_TRUE(BuildMedia(media));
    ASSERT_TRUE(RunsSilently("/S " + logSwitch + " /D=" + folder, 0));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_EQ(0u, text.find(first)) << "the earlier run's lines are gone";
    EXPECT_NE(std::string::npos, text.find("レジストリ書き込み: HKEY_CURRENT_USER\\" +
                                           std::string(kSetupKey) + "\r\n"));
    EXPECT_NE(std::string::npos, text.find("レジストリ書き込み: HKEY_LOCAL_MACHINE\\" +
                                           std::string(kUninstallKey) + "\r\n"));
    ASSERT_TRUE(StartSetup(media, logSwitch));
    ASSERT_NE(nullptr, wizard = WaitForWizard());
    /* read while Setup writes it, but written by no one else */
    HANDLE reader = CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(INVALID_HANDLE_VALUE, reader);
    CloseHandle(reader);
    HANDLE writer = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    PressButton(wizard, IDOK);
    ASSERT_TRUE(EndsWithBox(SETUP_UNINSTALLED_TEXT, IconInformation, 0));
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos, text.find("削除: " + folder + QV_MAIN_EXE + "\r\n"));
    EXPECT_NE(std::string::npos,
              text.find(std::string("メッセージ: ") + SETUP_UNINSTALLED_TEXT + "\r\n"));
    EXPECT_TRUE(EndsWithCode(text, 0));
    EXPECT_TRUE(EveryLineIsOneEvent(text));
}

TEST_F(Lifecycle, LogThatIsNoPlainFileOfItsOwnChangesNothingElse)
{
    /* a folder that is not there, and a second name of a batch file in a
       folder the user may not change: no log, and the install as without
       one */
    std::string batch = TestRoot() + "protected.bat";
    ASSERT_TRUE(WriteFileBytes(batch, "echo safe\r\n"));
    std::string link = TestRoot() + "setup.log";
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), batch.c_str(), NULL));
    for (const std::string &log : {TestRoot() + "none\\setup.log", link}) {
        SCOPED_TRACE(log);
        ResetProductRegistry();
        std::string folder = TestRoot() + "Installed\\";
        ASSERT_TRUE(RunsSilently("/LOG=" + log + " /S /D=" + folder, kSilentDone));
        EXPECT_TRUE(HasRecord(folder));
    }
    EXPECT_FALSE(FolderExists(TestRoot() + "none"));
    std::string data;
    EXPECT_TRUE(ReadFileBytes(batch, &data));
    EXPECT_EQ("echo safe\r\n", data);
}

TEST_F(Lifecycle, SignedMediaRunsAsTheUnsigned)
{
    /* the copies the signature test signed (tests/signing) */
    std::string signedCopies = BinFolder() + "..\\signing-check\\signed\\";
    if (!FileExists(signedCopies + QV_SETUP_EXE))
        GTEST_SKIP() << "no signed copies in " << signedCopies;
    ASSERT_TRUE(CopyFileA((signedCopies + QV_SETUP_EXE).c_str(), (media + QV_SETUP_EXE).c_str(),
                          FALSE));
    ASSERT_TRUE(CopyFileA((signedCopies + QV_HELPER_EXE).c_str(),
                          (media + MediaNameOf(QV_HELPER_EXE)).c_str(), FALSE));
    std::string folder = TestRoot() + "Signed\\";
    ASSERT_TRUE(RunsSilently("/S /D=" + folder, 0));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(HasRecord(folder));
}

} // namespace
