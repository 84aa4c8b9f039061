/*
 * Silent runs, as deployment tools start them: what each record and
 * switch gives, the exit codes, the log, no window ever, the repair of a
 * damaged installation, and the release media's list of their files.
 * The switch grammar itself is the unit tests' (switches_test.cpp).
 */
#include <string.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "helper/resource.h"
#include "setup_fixture.h"

namespace {

class Silent : public SetupTest {};

TEST_F(Silent, SilentInstallIntoTheDefaultOrAGivenFolder)
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
    ASSERT_TRUE(RunsSilently("/LOG=" + TestRoot() + "q.log /S /D=\"" + quoted + "\"", 0));
    EXPECT_TRUE(HasRecord(quoted));
}

TEST_F(Silent, SilentUpdateAndTheRunsThatChangeNothing)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(LayOutInstallation(folder, kOlderVersion));
    /* an update stays in the recorded folder */
    ASSERT_TRUE(RunsSilently("/S /D=" + TestRoot() + "Elsewhere", 0));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_FALSE(FolderExists(TestRoot() + "Elsewhere"));
    EXPECT_TRUE(RecordedVersionIs(kThisVersion));

    /* a newer version recorded: nothing, /UNINSTALL or not, and a code
       that says so */
    ASSERT_TRUE(RecordInstallation(kNewerVersion, folder));
    const std::map<std::string, std::string> before = FolderContents(folder);
    std::string log = TestRoot() + "newer.log";
    for (const char *line : {"/S", "/S /UNINSTALL"}) {
        SCOPED_TRACE(line);
        ASSERT_TRUE(RunsSilently(std::string(line) + " /LOG=" + log, SilentNewer));
        EXPECT_EQ(before, FolderContents(folder));
        EXPECT_TRUE(RecordedVersionIs(kNewerVersion));
    }
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_TRUE(EndsWithCode(text, SilentNewer));
}

TEST_F(Silent, SilentRunOfThisVersionRepairsADamagedInstallation)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(RunsSilently("/S /D=" + folder, SilentDone));
    ASSERT_TRUE(WriteFileBytes(folder + QV_KEYWORD_FILE, Keywords()));
    ASSERT_TRUE(WriteFileBytes(folder + QV_SETTINGS_FILE, "the main program's"));
    /* two program files gone, one damaged, the entry as an old version
       left it */
    ASSERT_TRUE(DeleteFileA((folder + QV_MAIN_EXE).c_str()));
    ASSERT_TRUE(DeleteFileA((folder + QV_HELP_FILE).c_str()));
    ASSERT_TRUE(WriteFileBytes(folder + QV_HELPER_EXE, "damaged"));
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "1.29"));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_SET_VALUE, &key));
    RegDeleteValueA(key, "QuietUninstallString");
    RegCloseKey(key);
    std::string log = TestRoot() + "repair.log";
    ASSERT_TRUE(RunsSilently("/S /LOG=" + log, SilentDone));

    std::string data;
    for (const ProductFile *row : MediaRows()) {
        std::string source;
        EXPECT_TRUE(ReadFileBytes(folder + row->name, &data) &&
                    ReadFileBytes(media + row->mediaName, &source) && data == source)
            << row->name;
    }
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_TRUE(ReadFileBytes(folder + QV_SETTINGS_FILE, &data));
    EXPECT_EQ("the main program's", data) << "the settings file was replaced";
    EXPECT_TRUE(HasRecord(folder));
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", &data));
    EXPECT_EQ(std::string(QV_VERSION_TEXT) + '\0', data);
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString", &data));
    EXPECT_EQ("\"" + folder + QV_SETUP_EXE + "\" /S /UNINSTALL" + '\0', data);
    EXPECT_TRUE(NoTemporaryFiles(folder));
    /* the log names what was repaired, and only that */
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    for (const char *name : {QV_MAIN_EXE, QV_HELP_FILE, QV_HELPER_EXE})
        EXPECT_NE(std::string::npos, text.find(LOG_REPAIRED + folder + name + "\r\n")) << text;
    EXPECT_EQ(std::string::npos, text.find(LOG_REPAIRED + folder + QV_README_FILE)) << text;

    /* whole again: nothing to repair */
    ASSERT_TRUE(RunsSilently("/S /LOG=" + log, SilentDone));
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos, text.rfind(LOG_NOTHING_TO_REPAIR)) << text;
}

TEST_F(Silent, EveryBoxASilentRunMeetsIsALogLineAndNoWindow)
{
    /* each box a silent run can reach, and the code it ends with; the
       boxes of a file in use, of changed media and of a media folder of
       an unusable name have their own tests */
    const std::string folder = TestRoot() + "Installed\\";
    const std::string open = TestRoot() + "Open\\";
    Program standIn;
    struct Row {
        const char *what;
        std::function<::testing::AssertionResult()> layOut;
        std::string arguments, box;
        DWORD code;
    } rows[] = {
        {"the folder's creation, agreed to", [] { return ::testing::AssertionSuccess(); },
         "/S /D=" + folder, SETUP_CREATE_QUESTION, SilentDone},
        {"the update's completion", [&] { return LayOutInstallation(folder, kOlderVersion); }, "/S",
         SETUP_UPDATED_TEXT, SilentDone},
        {"the uninstall's completion", [&] { return LayOutInstallation(folder, kThisVersion); },
         "/S /UNINSTALL", SETUP_UNINSTALLED_TEXT, SilentDone},
        {"the main program runs", [&] { return ::testing::AssertionResult(StartStandIn(&standIn)); },
         "/S", SETUP_RUNNING_TEXT, SilentBusy},
        {"an unreadable record",
         [] { return ::testing::AssertionResult(CreateKey(HKEY_CURRENT_USER, kSetupKey)); },
         "/S /UNINSTALL", SETUP_REGISTRY_READ_TEXT, SilentFailed},
        {"a missing media file",
         [&] { return ::testing::AssertionResult(BuildMedia(media, MediaNameOf(QV_HELPER_EXE))); },
         "/S /D=" + folder, SETUP_FATAL_TEXT, SilentFailed},
        {"a folder others may change",
         [&] { return ::testing::AssertionResult(MakeFreshFolder(open) && LetEveryoneChange(open)); },
         "/S /D=" + open, SETUP_UNSAFE_FOLDER_BEFORE + open + SETUP_UNSAFE_FOLDER_AFTER,
         SilentFailed},
        {"a recorded folder others may change",
         [&] {
             return ::testing::AssertionResult(LayOutInstallation(folder, kOlderVersion) &&
                                               LetEveryoneChange(folder));
         },
         "/S", SETUP_RECORDED_UNSAFE_BEFORE + folder + SETUP_RECORDED_UNSAFE_AFTER, SilentFailed},
        {"a folder that cannot be made",
         [&] { return ::testing::AssertionResult(WriteFileBytes(TestRoot() + "plain.txt", "x")); },
         "/S /D=" + TestRoot() + "plain.txt\\sub", SETUP_CREATE_FAILED_TEXT, SilentFailed},
        {"a file the uninstall cannot delete",
         [&] {
             return ::testing::AssertionResult(LayOutInstallation(folder, kThisVersion) &&
                                               DeleteFileA((folder + QV_README_FILE).c_str()) &&
                                               MakeFreshFolder(folder + QV_README_FILE + "\\"));
         },
         "/S /UNINSTALL", SETUP_UNINSTALL_INCOMPLETE_TEXT, SilentFailed},
        {"the list of switches", [] { return ::testing::AssertionSuccess(); }, "/S /?",
         std::string(LOG_HELP) + "/S\t", SilentDone},
    };
    const std::string log = TestRoot() + "boxes.log";
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        EndProgram(&standIn);
        ResetProductRegistry();
        DeleteTree(folder);
        DeleteTree(open);
        DeleteFileA(log.c_str());
        ASSERT_TRUE(BuildMedia(media));
        ASSERT_TRUE(row.layOut());
        /* the log first: an unquoted /D= takes the rest of the line */
        EXPECT_TRUE(RunsSilently("/LOG=" + log + " " + row.arguments, row.code));
        std::string text;
        ASSERT_TRUE(ReadFileBytes(log, &text));
        const std::string line = row.box.compare(0, strlen(LOG_HELP), LOG_HELP) == 0
                                     ? row.box
                                     : BoxLine(row.box) + "\r\n";
        EXPECT_NE(std::string::npos, text.find(line)) << text;
        EXPECT_TRUE(EndsWithCode(text, row.code));
        /* the folder it agreed to make has the install's completion */
        if (row.box == SETUP_CREATE_QUESTION)
            EXPECT_NE(std::string::npos, text.find(BoxLine(SETUP_INSTALLED_TEXT))) << text;
    }
}

TEST_F(Silent, SilentLinesAreReadWordByWord)
{
    /* quoted whole, as PowerShell, .NET and Python quote a word with
       spaces */
    std::string folder = TestRoot() + "My 表 Apps\\Q\\";
    ASSERT_TRUE(RunsSilently("\"/S\" /NORESTART \"/D=" + folder + "\"", SilentDone));
    EXPECT_TRUE(HasRecord(folder));
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kMachineSetupKey, kVersionValue, kOlderVersion));

    /* nothing is done for a line that is not understood, and the log
       says at what */
    std::string log = TestRoot() + "setup.log";
    EXPECT_TRUE(RunsSilently("/S /UNINSTAL /LOG=" + log, SilentNotUnderstood));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(RecordedVersionIs(kOlderVersion));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos, text.find("\"/UNINSTAL\"")) << text;
    EXPECT_TRUE(EndsWithCode(text, SilentNotUnderstood));
}

TEST_F(Silent, SilentInstallRefusesAFolderCodePage932CannotHold)
{
    /* /D=C:\qvtest\Café would become C:\qvtest\Cafe */
    std::vector<std::string> before = FolderEntries(TestRoot());
    EXPECT_TRUE(
        RunsSilentlyWide(L"/LOG=C:\\qvtest\\media\\s.log /S /D=C:\\qvtest\\Caf\u00e9", SilentFailed));
    EXPECT_EQ(before, FolderEntries(TestRoot()));
    EXPECT_TRUE(NothingRecorded());
    std::string text;
    ASSERT_TRUE(ReadFileBytes(media + "s.log", &text));
    EXPECT_NE(std::string::npos, text.find(std::string("\\Caf\x01") + LOG_FOLDER_NOT_ANSI))
        << text;
}

TEST_F(Silent, SilentFailuresEndInTheirCodeAndTheLogSaysWhy)
{
    std::string logs = TestRoot() + "my logs\\";
    ASSERT_TRUE(MakeFreshFolder(logs));
    std::string log = logs + "setup.log";
    std::string folder = TestRoot() + "Installed\\";
    const std::string logSwitch = "/LOG=\"" + log + "\"";

    ASSERT_TRUE(BuildMedia(media, MediaNameOf(QV_HELPER_EXE)));
    ASSERT_TRUE(RunsSilently(logSwitch + " /S /D=" + folder, SilentFailed));
    EXPECT_TRUE(NothingRecorded());
    std::string first;
    ASSERT_TRUE(ReadFileBytes(log, &first));
    EXPECT_NE(std::string::npos,
              first.find(std::string(LOG_START) + QV_VERSION_TEXT + "、コマンド ライン "))
        << first;
    EXPECT_NE(std::string::npos, first.find(LOG_NO_RECORD "\r\n")) << first;
    EXPECT_NE(std::string::npos, first.find(std::string(LOG_FAILED) + "読み込み " + media +
                                            MediaNameOf(QV_HELPER_EXE) + " (エラー 2)\r\n"))
        << first;
    /* a box's own line break is no line break of the log */
    EXPECT_NE(std::string::npos, first.find(BoxLine(SETUP_FATAL_TEXT) + "\r\n")) << first;
    EXPECT_TRUE(EndsWithCode(first, SilentFailed));

    /* the next run is appended after the first, and an interactive run
       logs too */
    ASSERT_TRUE(BuildMedia(media));
    ASSERT_TRUE(RunsSilently("/S " + logSwitch + " /D=" + folder, 0));
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_EQ(0u, text.find(first)) << "the earlier run's lines are gone";
    EXPECT_NE(std::string::npos, text.find(LOG_COPIED + folder + QV_README_FILE + "\r\n"))
        << text;
    /* the development build carries no list of its media */
    EXPECT_NE(std::string::npos, text.find(LOG_MEDIA_NOT_VERIFIED "\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find(LOG_REGISTRY_WRITTEN "HKEY_CURRENT_USER\\" +
                                           std::string(kSetupKey) + "\r\n"));
    EXPECT_NE(std::string::npos, text.find(LOG_REGISTRY_WRITTEN "HKEY_LOCAL_MACHINE\\" +
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
    EXPECT_NE(std::string::npos,
              text.find(LOG_DELETED + folder + QV_MAIN_EXE + FILE_OLD_SUFFIX + "\r\n"));
    EXPECT_NE(std::string::npos, text.find(BoxLine(SETUP_UNINSTALLED_TEXT) + "\r\n"));
    EXPECT_TRUE(EndsWithCode(text, 0));
    EXPECT_TRUE(EveryLineIsOneEvent(text));
}

TEST_F(Silent, LogThatCannotBeWrittenEndsTheRunBeforeAnythingChanges)
{
    /* a folder that is not there, a path too long for any file, a second
       name of a batch file in a folder the user may not change, and a
       folder that is a link to another (made by the tests' set-up,
       tests/CMakeLists.txt): the administrator asked for a log and gets
       none, so nothing is done, and the code says why */
    std::string batch = TestRoot() + "protected.bat";
    ASSERT_TRUE(WriteFileBytes(batch, "echo safe\r\n"));
    std::string link = TestRoot() + "setup.log";
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), batch.c_str(), NULL));
    const std::string linkedFolder = "C:\\qvlink\\", target = "C:\\qvlink-target\\";
    const DWORD attributes = GetFileAttributesA(WithoutBackslash(linkedFolder).c_str());
    ASSERT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        << linkedFolder << " is no link";
    DeleteFileA((target + "setup.log").c_str());
    const std::string folder = TestRoot() + "Installed\\";
    for (const std::string &log : {TestRoot() + "none\\setup.log", TestRoot() + std::string(250, 'l'),
                                   link, linkedFolder + "setup.log"}) {
        SCOPED_TRACE(log);
        ASSERT_TRUE(RunsSilently("/LOG=" + log + " /S /D=" + folder, SilentLogFailed));
        EXPECT_FALSE(FolderExists(folder));
        EXPECT_TRUE(NothingRecorded());
    }
    EXPECT_FALSE(FolderExists(TestRoot() + "none"));
    EXPECT_FALSE(FileExists(target + "setup.log"));
    std::string data;
    EXPECT_TRUE(ReadFileBytes(batch, &data));
    EXPECT_EQ("echo safe\r\n", data);
}

TEST_F(Silent, ReleaseMediaAreVerifiedFileByFile)
{
    /* the release media as scripts/release-media lays them out (the tests' set-up
       lays them out in the build): signed, with the list of their files */
    const std::string release = BinFolder() + "..\\release-media\\";
    ASSERT_TRUE(FileExists(release + QV_SETUP_EXE)) << "no release media in " << release;
    ASSERT_TRUE(MakeFreshFolder(media));
    for (const std::string &name : FolderEntries(release))
        ASSERT_TRUE(CopyFileA((release + name).c_str(), (media + name).c_str(), FALSE)) << name;

    /* one byte of the main program changed, as on a damaged disc */
    const std::string program = media + MediaNameOf(QV_MAIN_EXE);
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(program, &bytes));
    bytes[bytes.size() / 2] ^= 1;
    ASSERT_TRUE(WriteFileBytes(program, bytes));
    std::string folder = TestRoot() + "Release\\", log = TestRoot() + "release.log";
    ASSERT_TRUE(RunsSilently("/S /LOG=" + log + " /D=" + folder, SilentFailed));
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_TRUE(NothingRecorded());
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos,
              text.find(BoxLine(SETUP_MEDIA_CHANGED_BEFORE + program + SETUP_MEDIA_CHANGED_AFTER)))
        << text;

    /* the same media whole install, every file verified */
    bytes[bytes.size() / 2] ^= 1;
    ASSERT_TRUE(WriteFileBytes(program, bytes));
    ASSERT_TRUE(RunsSilently("/S /LOG=" + log + " /D=" + folder, SilentDone));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(HasRecord(folder));
    ASSERT_TRUE(ReadFileBytes(log, &text));
    for (const ProductFile *row : MediaRows()) {
        if (strcmp(row->name, QV_SETUP_EXE) != 0)
            EXPECT_NE(std::string::npos, text.find(LOG_MEDIA_VERIFIED + media + row->mediaName))
                << row->mediaName;
    }
}

TEST_F(Silent, ARecordOfThisAccountAloneNamesNoFolderToWriteIn)
{
    /* another account uninstalled the product; this account's record of
       an earlier Setup is all that is left */
    std::string folder = TestRoot() + "Again\\";
    ASSERT_TRUE(RecordInstallation(kThisVersion, TestRoot() + "Gone\\", HKEY_CURRENT_USER));
    ASSERT_TRUE(RunsSilently("/S /D=" + folder, SilentDone));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(HasRecord(folder));

    /* a program of the user records the media folder and starts Setup
       there: only the running Setup confirms it, which lets it uninstall
       alone. The run installs where an install does */
    ResetProductRegistry();
    ASSERT_TRUE(RecordInstallation(kThisVersion, media, HKEY_CURRENT_USER));
    const std::map<std::string, std::string> before = FolderContents(media);
    ASSERT_TRUE(RunsSilently("/S /D=" + folder, SilentDone));
    EXPECT_EQ(before, FolderContents(media));
    EXPECT_TRUE(HasRecord(folder));
}

} // namespace
