/*
 * Input nobody controls: an installation record edited by hand or by
 * other programs, a broken setup media, folder names typed by hand, a
 * keyword file held by other processes, and command lines built by the
 * shell. Each must end in its box, never in a crash, a write outside the
 * install folder, or a lost, doubled or partial record.
 */
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/support.h"
#include "helper_fixture.h"
#include "setup_fixture.h"

namespace {

class SetupBadInput : public SetupTest {
protected:
    /* 続行 of an update or uninstall, to its box and the end */
    ::testing::AssertionResult RunOperation(const char *doneText, BoxIcon icon, DWORD exitCode)
    {
        if (!StartSetup() || (wizard = WaitForWizard()) == NULL)
            return ::testing::AssertionFailure() << "no wizard";
        PressButton(wizard, IDOK);
        return EndsWithBox(doneText, icon, exitCode);
    }
};

/* the installation record */

class BadRegistry : public SetupBadInput {};

TEST_F(BadRegistry, VersionOfOtherTypesIsReadAsFourBytesOrRefused)
{
    /* "130" and its NUL are four bytes: read as a number far above 130 */
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kSetupKey, "InstallPath", "C:\\Tools\\"));
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kSetupKey, "Version", REG_SZ, "130", 4));
    ASSERT_TRUE(StartSetup());
    ASSERT_TRUE(EndsWithBox(kNewer, IconInformation, 0));

    /* three bytes are no version at all */
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kSetupKey, "Version", REG_SZ, "12", 3));
    EXPECT_TRUE(EndsInReadError());
}

TEST_F(BadRegistry, RelativeOrDeviceInstallPathIsAReadError)
{
    /* the current directory is the media: a relative record would name a
       folder there */
    ASSERT_TRUE(MakeFreshFolder(media + "abc\\"));
    ASSERT_TRUE(WriteFileBytes(media + "abc\\Readme.txt", "someone else's"));
    const char *paths[] = {"abc\\", "D:abc\\", "\\abc\\", "\\\\?\\C:\\qvtest\\media\\abc\\",
                           "\\\\.\\C:\\qvtest\\media\\abc\\"};
    for (const char *path : paths) {
        SCOPED_TRACE(path);
        RecordInstallation(130, path);
        EXPECT_TRUE(EndsInReadError());
        EXPECT_TRUE(FileExists(media + "abc\\Readme.txt"));
    }
}

TEST_F(BadRegistry, RecordedFileIsNeverRun)
{
    /* a batch file that would leave a marker, recorded as the folder */
    std::string batch = TestRoot() + "x.bat";
    std::string marker = TestRoot() + "ran.txt";
    ASSERT_TRUE(WriteFileBytes(batch, "echo ran > " + marker + "\r\n"));
    RecordInstallation(130, batch);
    EXPECT_TRUE(RunOperation(kUninstalled, IconInformation, 0));
    /* nothing was started, so nothing can still be starting */
    EXPECT_EQ(0, JobProcessCount(&setup));
    EXPECT_FALSE(FileExists(marker));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

TEST_F(BadRegistry, InstallPathOfTheWrongTypeIsAReadError)
{
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetupKey, "Version", 129));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetupKey, "InstallPath", 0x5C3A43));
    EXPECT_TRUE(EndsInReadError());
}

TEST_F(BadRegistry, InstallPathWithoutItsNulIsReadWhole)
{
    std::string folder = TestRoot() + "NoNul\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetupKey, "Version", 129));
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kSetupKey, "InstallPath", REG_SZ,
                           folder.data(), (DWORD)folder.size()));
    EXPECT_TRUE(RunOperation(kUpdated, IconInformation, 0));
    EXPECT_TRUE(FileExists(folder + "Quorvane.exe"));
    std::string path;
    EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, kSetupKey, "InstallPath", &path));
    EXPECT_EQ(folder + '\0', path);
}

TEST_F(BadRegistry, OptionsOfTheWrongTypeSurviveAnUpdate)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    RecordInstallation(129, folder);
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kOptionKey, "IsOnTop", "yes"));
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kMainKey, "History", REG_BINARY, "\x01\x02", 2));
    EXPECT_TRUE(RunOperation(kUpdated, IconInformation, 0));
    std::string data;
    DWORD type = 0;
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kOptionKey, "IsOnTop", &data, &type));
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(std::string("yes", 4), data);
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, kMainKey, "History", &data, &type));
    EXPECT_EQ((DWORD)REG_BINARY, type);
    EXPECT_EQ(std::string("\x01\x02", 2), data);
}

TEST_F(BadRegistry, RecordedFolderWithoutBackslashIsTheFolderNotAPrefix)
{
    /* "...\Tools" + "Quorvane.exe" would name ToolsQuorvane.exe beside it */
    std::string folder = TestRoot() + "Tools";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(WriteFileBytes(folder + "\\Quorvane.exe", "program"));
    ASSERT_TRUE(WriteFileBytes(folder + "Quorvane.exe", "someone else's"));
    RecordInstallation(130, folder);
    EXPECT_TRUE(RunOperation(kUninstalled, IconInformation, 0));
    EXPECT_FALSE(FileExists(folder + "\\Quorvane.exe"));
    EXPECT_TRUE(FileExists(folder + "Quorvane.exe")) << "deleted outside the install folder";
}

TEST_F(BadRegistry, RecordedFolderEndingInHalfACharacterIsNeverUsed)
{
    /* 0x81 would take the added backslash as its second byte, and the
       files would land beside the folder under another name */
    std::string folder = TestRoot() + "abc\x81";
    std::string beside = TestRoot() + "abc\x81\x5cQuorvane.exe";
    ASSERT_TRUE(MakeFreshFolder(TestRoot() + "abc"));
    ASSERT_TRUE(WriteFileBytes(beside, "someone else's"));
    std::vector<std::string> before = FolderEntries(TestRoot());

    RecordInstallation(129, folder);
    EXPECT_TRUE(RunOperation(kFatal, IconError, 0xFFFFFFFF));
    EXPECT_EQ(before, FolderEntries(TestRoot()));
    DWORD version = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSetupKey, "Version", &version));
    EXPECT_EQ(129u, version);

    RecordInstallation(130, folder);
    EXPECT_TRUE(RunOperation(kUninstalled, IconInformation, 0));
    std::string data;
    EXPECT_TRUE(ReadFileBytes(beside, &data));
    EXPECT_EQ("someone else's", data);
}

/* the setup media */

class BadMedia : public SetupBadInput {};

TEST_F(BadMedia, AMissingFileAtEachPositionEndsBeforeIt)
{
    for (int missing = 0; missing < MediaFileCount; missing++) {
        /* Setup.exe is where Setup runs from: never missing */
        if (missing == MediaSetup)
            continue;
        SCOPED_TRACE(MediaName(missing));
        ResetProductRegistry();
        ASSERT_TRUE(BuildMedia(media, 1u << missing));
        std::string folder = TestRoot() + "Missing" + std::to_string(missing) + "\\";
        ASSERT_TRUE(MakeFreshFolder(folder));
        OpenFolderPage();
        SetControlText(wizard, kFolderEdit, folder);
        PressButton(wizard, IDOK);
        ASSERT_TRUE(EndsWithBox(kFatal, IconError, 0xFFFFFFFF));
        for (int i = 0; i < MediaFileCount; i++)
            EXPECT_EQ(i < missing, FileExists(folder + InstalledName(i))) << InstalledName(i);
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    }
}

TEST_F(BadMedia, ZeroByteFileIsCopiedAsItIs)
{
    ASSERT_TRUE(WriteFileBytes(media + "Readme.txt", ""));
    std::string folder = TestRoot() + "Zero\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    OpenFolderPage();
    SetControlText(wizard, kFolderEdit, folder);
    PressButton(wizard, IDOK);
    ASSERT_TRUE(EndsWithBox(kInstalled, IconInformation, 0));
    std::string data = "not empty";
    EXPECT_TRUE(ReadFileBytes(folder + "Readme.txt", &data));
    EXPECT_EQ("", data);
}

TEST_F(BadMedia, FolderInPlaceOfAFileIsFatal)
{
    DeleteFileA((media + "Quorvane.cn_").c_str());
    ASSERT_TRUE(CreateDirectoryA((media + "Quorvane.cn_").c_str(), NULL));
    std::string folder = TestRoot() + "Folder\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    OpenFolderPage();
    SetControlText(wizard, kFolderEdit, folder);
    PressButton(wizard, IDOK);
    ASSERT_TRUE(EndsWithBox(kFatal, IconError, 0xFFFFFFFF));
    EXPECT_TRUE(FileExists(folder + "Quorvane.hlp"));
    EXPECT_FALSE(FileExists(folder + "Quorvane.cnt"));
    EXPECT_FALSE(FolderExists(folder + "Quorvane.cnt"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

/* folder names typed by hand */

class BadFolder : public SetupBadInput {};

TEST_F(BadFolder, OverlongTextsAreRefusedBeforeAnythingIsMade)
{
    OpenFolderPage();
    std::vector<std::string> before = FolderEntries(TestRoot());
    const size_t lengths[] = {258, 259, 300};
    for (size_t length : lengths) {
        SCOPED_TRACE(length);
        std::string text = TestRoot() + std::string(length - TestRoot().size() - 1, 'a') + "\\";
        ASSERT_EQ(length, text.size());
        SetControlText(wizard, kFolderEdit, text);
        PressButton(wizard, IDOK);
        ASSERT_TRUE(AnswerBox(kFolderPrompt, IconWarning, IDOK));
        EXPECT_TRUE(IsRunning(&setup));
        EXPECT_EQ(before, FolderEntries(TestRoot()));
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

TEST_F(BadFolder, DriveThatDoesNotExist)
{
    OpenFolderPage();
    SetControlText(wizard, kFolderEdit, "Q:\\Apps\\Quorvane\\");
    PressButton(wizard, IDOK);
    ASSERT_TRUE(AnswerBox(kCreateQuestion, IconQuestion, IDYES));
    ASSERT_TRUE(AnswerBox(kCreateFailed, IconError, IDOK));
    EXPECT_TRUE(IsRunning(&setup));
    EXPECT_TRUE(IsControlVisible(wizard, kFolderEdit));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

TEST_F(BadFolder, BackslashTrailBytesThroughInstallHelperUpdateUninstall)
{
    /* ソ and 能 both end in 0x5C */
    std::string folder = TestRoot() + "ソ\\能";
    OpenFolderPage();
    SetControlText(wizard, kFolderEdit, folder);
    PressButton(wizard, IDOK);
    ASSERT_TRUE(AnswerBox(kCreateQuestion, IconQuestion, IDYES));
    ASSERT_TRUE(EndsWithBox(kInstalled, IconInformation, 0));
    std::string installed = folder + "\\";
    for (int i = 0; i < MediaFileCount; i++)
        EXPECT_TRUE(FileExists(installed + InstalledName(i))) << InstalledName(i);
    EXPECT_EQ(std::vector<std::string>({"media", "ソ"}), FolderEntries(TestRoot()));

    /* the installed Helper finds the keyword file beside itself */
    Program helper;
    ASSERT_TRUE(StartProgram(&helper, installed + "Helper.exe", "C:\\Data\\能", media.c_str()));
    HWND box = WaitForDialog(&helper, 9821);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("能", ControlText(box, 9821));
    PressButton(box, IDOK);
    EXPECT_TRUE(EndedWith(WaitForExit(&helper), 1));
    EndProgram(&helper);
    std::string keywords;
    EXPECT_TRUE(ReadFileBytes(installed + "!Default.kws", &keywords));
    EXPECT_EQ("能\r\nC:\\Data\\能\r\n\r\n", keywords);

    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetupKey, "Version", 129));
    EXPECT_TRUE(RunOperation(kUpdated, IconInformation, 0));
    EXPECT_TRUE(RunOperation(kUninstalled, IconInformation, 0));
    EXPECT_FALSE(FileExists(installed + "Quorvane.exe"));
    EXPECT_FALSE(FileExists(installed + "Helper.exe"));
    EXPECT_TRUE(ReadFileBytes(installed + "!Default.kws", &keywords));
    EXPECT_EQ("能\r\nC:\\Data\\能\r\n\r\n", keywords);
}

/* the keyword file in other hands */

class BadKeywordFile : public HelperTest {};

TEST_F(BadKeywordFile, HeldWithoutWriteSharingFailsAfterWaiting)
{
    HANDLE held = CreateFileA(keywordFile.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    HWND box = StartInputBox("C:\\Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    PressButton(box, IDOK);
    EXPECT_TRUE(AnswerAppendFailed(box));
    EXPECT_TRUE(EndedWith(WaitForExit(&helper), 1));
    CloseHandle(held);
    EXPECT_EQ("", Content(keywordFile));
    EXPECT_TRUE(BroadcastsSinceSetUp(1));
}

TEST_F(BadKeywordFile, HeldBrieflyByAnotherHelperIsWaitedFor)
{
    HWND box = StartInputBox("C:\\Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    /* held the way a Helper holds it while it appends */
    HANDLE held = CreateFileA(keywordFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    PressButton(box, IDOK);
    Sleep(300);
    CloseHandle(held);
    EXPECT_TRUE(EndedWith(WaitForExit(&helper), 1));
    EXPECT_EQ(nullptr, WaitForMessageBox(&helper, 0));
    EXPECT_EQ(Record("memo.txt", "C:\\Data\\memo.txt"), Content(keywordFile));
}

/* command lines */

class BadCommandLine : public HelperTest {};

TEST_F(BadCommandLine, ThirtyTwoKilobyteTargetWritesNothing)
{
    std::string target = "C:\\" + std::string(32000, 'x');
    HWND box = StartInputBox(target);
    ASSERT_NE(nullptr, box);
    PressButton(box, IDOK);
    EXPECT_TRUE(AnswerAppendFailed(box));
    EXPECT_TRUE(EndedWith(WaitForExit(&helper), 1));
    EXPECT_EQ("", Content(keywordFile));
}

TEST_F(BadCommandLine, UnbalancedQuoteRunsToTheEnd)
{
    HWND box = StartInputBox("\"C:\\My Data\\memo.txt");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("C:\\My Data\\memo.txt", WindowText(box));
    PressButton(box, IDOK);
    EXPECT_TRUE(EndedWith(WaitForExit(&helper), 1));
    EXPECT_EQ(Record("memo.txt", "C:\\My Data\\memo.txt"), Content(keywordFile));
}

TEST_F(BadCommandLine, OnlySpacesIsNoArgument)
{
    ASSERT_TRUE(StartProgramRaw(&helper, exe, "\"" + exe + "\"    \t  ", elsewhere.c_str()));
    HWND box = WaitForMessageBox(&helper);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(kAboutCaption, ReadMessageBox(box).caption);
    PressButton(box, IDOK);
    EXPECT_TRUE(EndedWith(WaitForExit(&helper), 0xFFFFFFFF));
    EXPECT_EQ("", Content(keywordFile));
}

TEST_F(BadCommandLine, LoneBackslashQuoteIsAQuote)
{
    HWND box = StartInputBox("\\\"");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("\"", WindowText(box));
    PressButton(box, IDOK);
    EXPECT_TRUE(EndedWith(WaitForExit(&helper), 1));
    EXPECT_EQ(Record("\"", "\""), Content(keywordFile));
}

TEST_F(BadCommandLine, InvalidDoubleByteSequencesGiveOneWholeRecord)
{
    const char *targets[] = {"C:\\a\x81", "C:\\\x81\\b", "\xfc\xfc\\\x80"};
    std::string expected;
    for (const char *target : targets) {
        SCOPED_TRACE(target);
        HWND box = StartInputBox(std::string("\"") + target + "\"");
        ASSERT_NE(nullptr, box);
        PressButton(box, IDOK);
        EXPECT_TRUE(EndedWith(WaitForExit(&helper), 1));
    }
    /* whatever bytes arrived, each record is three lines and an empty one */
    std::string content = Content(keywordFile);
    size_t at = 0;
    for (int i = 0; i < 3; i++) {
        size_t keywordEnd = content.find("\r\n", at);
        ASSERT_NE(std::string::npos, keywordEnd) << content;
        size_t targetEnd = content.find("\r\n", keywordEnd + 2);
        ASSERT_NE(std::string::npos, targetEnd) << content;
        ASSERT_EQ("\r\n", content.substr(targetEnd + 2, 2)) << content;
        at = targetEnd + 4;
    }
    EXPECT_EQ(content.size(), at);
    EXPECT_TRUE(BroadcastsSinceSetUp(3));
}

} // namespace
