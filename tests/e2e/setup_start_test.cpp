/*
 * Setup's start: the guard against the running main program and a second
 * Setup, and the mode decision from the installation record, with the
 * real Setup.exe under Wine.
 */
#include <string>

#include <gtest/gtest.h>

#include "tests/support/support.h"
#include "setup_fixture.h"

namespace {

const char kRunning[] =
    "システムは Quorvane を実行中です。\r\n"
    "セットアップを行う前に、Quorvane を終了してください。";

class SetupStart : public SetupTest {};

TEST_F(SetupStart, RefusesWhileTheMainProgramRuns)
{
    Program standIn;
    ASSERT_TRUE(StartStandIn(&standIn));
    RecordInstallation(130, "C:\\Tools\\");

    ASSERT_TRUE(StartSetup());
    HWND box = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(IsSetupBox(box, kRunning, IconError));
    EXPECT_EQ(nullptr, FindWizard());
    PressButton(box, IDOK);
    EXPECT_EQ(1u, WaitForExit(&setup));

    /* nothing changed */
    DWORD version = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSetupKey, "Version", &version));
    EXPECT_EQ(130u, version);
    EXPECT_FALSE(FileExists("C:\\Tools\\Quorvane.exe"));
    EndProgram(&standIn);
}

TEST_F(SetupStart, RefusesWhileAHelperIsOpen)
{
    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(CopyFileA(BinFile("Helper.exe").c_str(), (folder + "Helper.exe").c_str(), FALSE));
    RecordInstallation(130, folder);
    Program helper;
    ASSERT_TRUE(StartProgram(&helper, folder + "Helper.exe", "C:\\Data\\memo.txt", NULL));
    ASSERT_NE(nullptr, WaitForDialog(&helper, 9821));

    ASSERT_TRUE(StartSetup());
    ASSERT_TRUE(EndsWithBox(kRunning, IconError, 1));
    EXPECT_TRUE(FileExists(folder + "Helper.exe"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSetupKey));
}

TEST_F(SetupStart, SilentRunBesideTheMainProgramEndsWithOne)
{
    Program standIn;
    ASSERT_TRUE(StartStandIn(&standIn));
    EXPECT_TRUE(RunsSilently("/S", 1));
    EXPECT_TRUE(NothingRecorded());
    EXPECT_FALSE(FolderExists(kDefaultFolder));
}

TEST_F(SetupStart, QuestionMarkListsTheSwitchesAndDoesNothingElse)
{
    /* it wins over /S: whoever typed it is at the screen */
    ASSERT_TRUE(StartSetup(media, "/S /?"));
    HWND box = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, box);
    MessageBoxInfo info = ReadMessageBox(box);
    EXPECT_EQ(kSetupCaption, info.caption);
    EXPECT_EQ(0u, info.text.find("Setup.exe [/S [/UNINSTALL]] [/LOG=ファイル] [/D=フォルダ]\r\n"));
    for (const char *word : {"\n/S\t", "\n/UNINSTALL\t", "\n/D=フォルダ\t", "\n/LOG=ファイル\t", "\n/?\t"})
        EXPECT_NE(std::string::npos, info.text.find(word)) << word;
    EXPECT_STREQ("information", IconName(info.icon));
    PressButton(box, IDOK);
    EXPECT_EQ(0u, WaitForExit(&setup));
    EXPECT_TRUE(NothingRecorded());

    /* without /S other words change nothing: the wizard as always */
    ASSERT_TRUE(StartSetup(media, "/uninstall /D=C:\\Tools"));
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ("Setup", ControlText(wizard, kModeWord));
}

TEST_F(SetupStart, RefusesASecondSetup)
{
    ASSERT_TRUE(StartSetup());
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);

    Program second;
    ASSERT_TRUE(StartProgram(&second, media + "Setup.exe", "", media.c_str()));
    HWND box = WaitForMessageBox(&second);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(IsSetupBox(box, kRunning, IconError));
    PressButton(box, IDOK);
    EXPECT_EQ(1u, WaitForExit(&second));
    EndProgram(&second);

    /* the first one is untouched and still on its page */
    EXPECT_TRUE(IsRunning(&setup));
    EXPECT_EQ("Setup", ControlText(wizard, 9827));
}

TEST_F(SetupStart, NoRecordMeansInstall)
{
    ASSERT_TRUE(StartSetup());
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ("Setup", ControlText(wizard, 9827));
    EXPECT_EQ("Quorvane のセットアップを開始します。", ControlText(wizard, 9824));
}

TEST_F(SetupStart, OlderRecordMeansUpdate)
{
    const DWORD versions[] = {129, 0xFFFFFFFF, 0};
    for (DWORD version : versions) {
        SCOPED_TRACE((long)version);
        RecordInstallation(version, "C:\\Tools\\");
        ASSERT_TRUE(StartSetup());
        HWND wizard = WaitForWizard();
        ASSERT_NE(nullptr, wizard);
        EXPECT_EQ("Update", ControlText(wizard, 9827));
        EndProgram(&setup);
    }
}

TEST_F(SetupStart, SameRecordMeansUninstall)
{
    RecordInstallation(130, "C:\\Tools\\");
    ASSERT_TRUE(StartSetup());
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ("Uninstall", ControlText(wizard, 9827));
}

TEST_F(SetupStart, NewerRecordShowsTheNoticeAndEnds)
{
    RecordInstallation(131, "C:\\Tools\\");
    ASSERT_TRUE(StartSetup());
    HWND box = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, box);
    EXPECT_TRUE(IsSetupBox(box, kNewer, IconInformation));
    EXPECT_EQ(nullptr, FindWizard());
    PressButton(box, IDOK);
    EXPECT_EQ(0u, WaitForExit(&setup));

    DWORD version = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSetupKey, "Version", &version));
    EXPECT_EQ(131u, version);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOptionKey));
}

TEST_F(SetupStart, MissingInstallPathIsAReadError)
{
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetupKey, "Version", 129));
    EXPECT_TRUE(EndsInReadError());
}

TEST_F(SetupStart, MissingVersionIsAReadError)
{
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kSetupKey, "InstallPath", "C:\\Tools\\"));
    EXPECT_TRUE(EndsInReadError());
}

TEST_F(SetupStart, EmptySetupKeyIsAReadError)
{
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kSetupKey));
    EXPECT_TRUE(EndsInReadError());
}

TEST_F(SetupStart, OverlongInstallPathIsAReadError)
{
    RecordInstallation(129, "C:\\" + std::string(300, 'a') + "\\");
    EXPECT_TRUE(EndsInReadError());
}

TEST_F(SetupStart, InstallPathOfExactly260BytesIsAReadError)
{
    /* 260 characters and the NUL: one byte too many for the buffer */
    RecordInstallation(129, "C:\\" + std::string(256, 'a') + "\\");
    EXPECT_TRUE(EndsInReadError());
}

TEST_F(SetupStart, InstallPathOf259BytesIsRead)
{
    RecordInstallation(129, "C:\\" + std::string(255, 'a') + "\\");
    ASSERT_TRUE(StartSetup());
    HWND wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ("Update", ControlText(wizard, 9827));
}

TEST_F(SetupStart, VersionOfTwoBytesIsAReadError)
{
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kSetupKey, "InstallPath", "C:\\Tools\\"));
    WORD two = 130;
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kSetupKey, "Version", REG_BINARY, &two, 2));
    EXPECT_TRUE(EndsInReadError());
}

TEST_F(SetupStart, VersionOfEightBytesIsAReadError)
{
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kSetupKey, "InstallPath", "C:\\Tools\\"));
    ULONGLONG eight = 130;
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kSetupKey, "Version", REG_QWORD, &eight, 8));
    EXPECT_TRUE(EndsInReadError());
}

TEST_F(SetupStart, EmptyInstallPathIsAReadError)
{
    RecordInstallation(129, "");
    EXPECT_TRUE(EndsInReadError());
}

} // namespace
