/*
 * Update with the real Setup.exe: the files swapped in all or nothing,
 * the options and keywords kept, the whole entry of this version, a file
 * in use waited for or (silent) left to a later run, and what a failed
 * or killed update leaves. Each step of the swap, refused or killed, is
 * the unit tests' recovery table (tests/unit/transaction_test.cpp).
 */
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "helper/resource.h"
#include "setup_fixture.h"

namespace {

class Update : public SetupTest {};

TEST_F(Update, UpdateRewritesFilesAndKeepsOptionsAndKeywords)
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

TEST_F(Update, UpdateWritesTheWholeUninstallEntryOfThisVersion)
{
    /* as a Setup that knew only these two left it */
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", QV_DISPLAY_NAME));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString",
                            folder + QV_SETUP_EXE));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "0.9"));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", 9));
    ASSERT_TRUE(RunsSilently("/S", SilentDone));
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

TEST_F(Update, UpdateOfATooLongRecordedFolderEndsBeforeCopying)
{
    /* 250 bytes read back fine, but Quorvane.exe no longer fits below it */
    std::string folder = "C:\\" + std::string(246, 'a') + "\\";
    ASSERT_TRUE(RecordInstallation(kOlderVersion, folder));
    ASSERT_TRUE(RunOperation(SETUP_FATAL_TEXT, IconError, kExitFailed));
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion));
}

TEST_F(Update, UpdateWaitsWhileAFileIsInUse)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    /* the main program's file held open by a program that shares nothing */
    HANDLE held = HoldFile(folder + QV_MAIN_EXE);
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

TEST_F(Update, FailedUpdateLeavesEveryFileAsItWas)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    const std::map<std::string, std::string> before = FolderContents(folder);
    /* the media's last file is missing, as on a scratched disc */
    ASSERT_TRUE(BuildMedia(media, MediaNameOf(QV_HELPER_EXE)));
    ASSERT_TRUE(RunOperation(SETUP_FATAL_TEXT, IconError, kExitFailed));
    EXPECT_EQ(before, FolderContents(folder));
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion));
    EXPECT_TRUE(RunsSilently("/S", SilentFailed));
    EXPECT_EQ(before, FolderContents(folder));
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion));
}

TEST_F(Update, UpdateOntoAFullDiskLeavesEveryFileAsItWas)
{
    const std::string drive = SmallDrive();
    if (drive.empty())
        GTEST_SKIP() << "no small drive S: (mounting one needs root)";
    std::string folder = drive + "Quorvane\\";
    DeleteTree(folder);
    DeleteTree(drive + "filler");
    ASSERT_TRUE(RunsSilently("/S /D=" + folder, SilentDone));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kMachineSetupKey, kVersionValue, kOlderVersion));
    ASSERT_TRUE(FillDrive(drive));
    const std::map<std::string, std::string> before = FolderContents(folder);
    EXPECT_TRUE(RunsSilently("/S", SilentFailed));
    EXPECT_EQ(before, FolderContents(folder));
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion, HKEY_LOCAL_MACHINE));
    DeleteTree(drive + "filler");
    DeleteTree(folder);
}

TEST_F(Update, ReadOnlyFilesInstallUpdateAndUninstallCleanly)
{
    /* media from a disc: every file read-only */
    for (const ProductFile *row : MediaRows())
        ASSERT_TRUE(SetFileAttributesA((media + row->mediaName).c_str(), FILE_ATTRIBUTE_READONLY));
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(RunsSilently("/S /D=" + folder, SilentDone));
    for (const ProductFile *row : MediaRows())
        EXPECT_EQ(0u, GetFileAttributesA((folder + row->name).c_str()) & FILE_ATTRIBUTE_READONLY)
            << row->name;
    /* and one an earlier Setup left read-only */
    ASSERT_TRUE(SetFileAttributesA((folder + QV_MAIN_EXE).c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kMachineSetupKey, kVersionValue, kOlderVersion));
    ASSERT_TRUE(RunsSilently("/S", SilentDone));
    EXPECT_TRUE(HasProductFiles(folder));
    ASSERT_TRUE(SetFileAttributesA((folder + QV_HELPER_EXE).c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(RunsSilently("/S /UNINSTALL", SilentDone));
    EXPECT_TRUE(ProgramFilesRemoved(folder));
    EXPECT_TRUE(NothingRecorded());
}

TEST_F(Update, UpdateKilledBeforeItsRenamesIsUndoneByTheNextRun)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    const std::map<std::string, std::string> before = FolderContents(folder);
    /* the copies are made, and the wizard waits at the Retry box */
    HANDLE held = HoldFile(folder + QV_HELPER_EXE);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_TRUE(OpenWizard());
    PressButton(wizard, IDOK);
    ASSERT_NE(nullptr, WaitForMessageBox(&setup));
    EndProgram(&setup);
    CloseHandle(held);
    EXPECT_NE(before, FolderContents(folder)) << "killed before its copies were made";

    std::string log = TestRoot() + "setup.log";
    ASSERT_TRUE(RunsSilently("/S /LOG=" + log, SilentDone));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    /* its new copies, never swapped in, are gone */
    EXPECT_NE(std::string::npos,
              text.find(LOG_DELETED + folder + QV_MAIN_EXE + FILE_NEW_SUFFIX + "\r\n"))
        << text;
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(HasRecord(folder));
    EXPECT_TRUE(NoTemporaryFiles(folder));
}

TEST_F(Update, RunKilledAfterTheRecordIsCompletedByTheNextSilentRun)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "0.9"));
    /* ended as soon as its log says the machine's record is written */
    std::string log = TestRoot() + "killed.log";
    std::string exe = media + QV_SETUP_EXE;
    ASSERT_TRUE(StartProgramRaw(&setup, exe, "\"" + exe + "\" /S /LOG=" + log, media.c_str()));
    const std::string written =
        std::string(LOG_REGISTRY_WRITTEN "HKEY_LOCAL_MACHINE\\") + kMachineSetupKey;
    std::string text;
    DWORD start = GetTickCount();
    while (text.find(written) == std::string::npos && IsRunning(&setup) &&
           GetTickCount() - start < kWaitMs)
        ReadFileBytes(log, &text);
    TerminateProcess(setup.process, 9);
    EndProgram(&setup);
    ASSERT_NE(std::string::npos, text.find(written)) << text;
    ASSERT_TRUE(RecordedVersionIs(kThisVersion));

    ASSERT_TRUE(RunsSilently("/S", SilentDone));
    std::string version;
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", &version));
    EXPECT_EQ(std::string(QV_VERSION_TEXT) + '\0', version);
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(HasRecord(folder));
    EXPECT_TRUE(NoTemporaryFiles(folder));
}

TEST_F(Update, SilentUpdateOfAFileInUseIsCompletedAtTheRestart)
{
    /* no one can answer Retry: a help viewer holds the help file, which
       is replaced at the next restart, as Windows Installer does */
    std::string folder = TestRoot() + "Installed\\", help = folder + QV_HELP_FILE;
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    HANDLE held = HoldFile(help);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::string log = TestRoot() + "setup.log";
    EXPECT_TRUE(RunsSilently("/S /LOG=" + log, SilentRestart));
    EXPECT_TRUE(RecordedVersionIs(kThisVersion));
    EXPECT_EQ(1, PendingMentions(help));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos, text.find(LOG_AT_RESTART + help + "\r\n")) << text;
    EXPECT_TRUE(EveryLineIsOneEvent(text));
    /* every other file is new */
    for (const ProductFile *row : MediaRows()) {
        std::string installed, source;
        EXPECT_TRUE(folder + row->name == help ||
                    (ReadFileBytes(folder + row->name, &installed) &&
                     ReadFileBytes(media + row->mediaName, &source) && installed == source))
            << row->name;
    }
    /* the same command again before the restart: nothing repeated, and
       the pending file is no damage to repair */
    const std::map<std::string, std::string> pending = FolderContents(folder);
    EXPECT_TRUE(RunsSilently("/S /LOG=" + log, SilentRestart));
    EXPECT_EQ(pending, FolderContents(folder));
    EXPECT_EQ(1, PendingMentions(help));
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_EQ(std::string::npos, text.find(LOG_REPAIRED + help)) << text;

    CloseHandle(held);
    ASSERT_TRUE(RestartWine());
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(NoTemporaryFiles(folder));
    EXPECT_EQ(0, PendingMentions(help));
}

TEST_F(Update, SilentUpdateBesideAProgramOfTheFolderInAnotherSessionIsToBeTriedAgain)
{
    /* a program of another session: no mutex is seen from here, the
       program file is, whatever the spelling it was started by */
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    const std::string unix = UnixSpelling(folder);
    ASSERT_FALSE(unix.empty()) << "no Unix spelling of " << folder;
    const struct {
        const char *name;
        std::string started;
    } rows[] = {
        {QV_MAIN_EXE, folder + QV_MAIN_EXE},
        {QV_MAIN_EXE, unix + QV_MAIN_EXE},
        {QV_HELPER_EXE, folder + QV_HELPER_EXE},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.started);
        ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
        ASSERT_TRUE(CopyFileA(BinFile("QuorvaneStandIn.exe").c_str(), (folder + row.name).c_str(),
                              FALSE));
        Program program;
        ASSERT_TRUE(StartStandInAs(&program, row.started, "--no-mutex"));
        const std::map<std::string, std::string> before = FolderContents(folder);
        std::string log = TestRoot() + "setup.log";
        DeleteFileA(log.c_str());
        EXPECT_TRUE(RunsSilently("/S /LOG=" + log, SilentBusy));
        EXPECT_TRUE(RecordedVersionIs(kOlderVersion));
        EXPECT_EQ(before, FolderContents(folder)) << "a file was replaced";
        /* seen as the running program, before any copy meets its file */
        std::string text;
        ASSERT_TRUE(ReadFileBytes(log, &text));
        EXPECT_NE(std::string::npos, text.find(BoxLine(SETUP_RUNNING_TEXT))) << text;
    }
}

} // namespace
