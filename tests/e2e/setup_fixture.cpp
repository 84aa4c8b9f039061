/*
 * Shared set-up of the Setup end-to-end tests (see setup_fixture.h).
 */
#include "setup_fixture.h"

const char kSetupCaption[] = "Quorvane - セットアップ ウィザード";
const char kSetupKey[] = "Software\\Veskaro\\Quorvane\\Setup";
const char kOptionKey[] = "Software\\Veskaro\\Quorvane\\Option";
const char kMainKey[] = "Software\\Veskaro\\Quorvane\\Main";
const char kProductKey[] = "Software\\Veskaro\\Quorvane";
const char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veskaro Quorvane";
const char kDefaultFolder[] = "C:\\Program Files\\Veskaro\\Quorvane\\";

const char kRegistryRead[] =
    "必要な情報をレジストリから読み込めませんでした。セットアップを続行できません。";
const char kNewer[] =
    "より新しいバージョンの Quorvane がすでにセットアップされています。\r\n"
    "セットアップを終了します。";
const char kFolderPrompt[] = "セットアップ先フォルダを指定してください。";
const char kCreateQuestion[] = "指定したフォルダは存在しません。作成しますか?";
const char kCreateFailed[] = "フォルダ名が不正です。フォルダの作成に失敗しました。";
const char kInstalled[] = "セットアップは正常に完了しました。";
const char kUpdated[] = "アップデートは正常に完了しました。";
const char kUninstalled[] = "アンインストールは正常に完了しました。";
const char kFatal[] = "セットアップ中にエラーが発生しました。セットアップを継続できません。";

const char *const kInstalledNames[MediaFileCount] = {
    "Quorvane.exe", "Quorvane.hlp", "Quorvane.cnt", "Readme.txt", "Setup.exe", "Helper.exe",
};

void SetupTest::SetUp()
{
    setup.process = NULL;
    setup.job = NULL;
    setup.pid = 0;
    ResetProductRegistry();
    DeleteTree(TestRoot());
    ASSERT_FALSE(FolderExists(TestRoot())) << "a leftover test folder cannot be deleted";
    media = TestRoot() + "media\\";
    ASSERT_TRUE(BuildMedia(media));
}

void SetupTest::TearDown()
{
    EndProgram(&setup);
    ResetProductRegistry();
    DeleteTree(TestRoot());
}

int SetupTest::StartSetup(const std::string &currentDir)
{
    EndProgram(&setup);
    std::string dir = currentDir.empty() ? media : currentDir;
    std::string exe = setupExe.empty() ? media + "Setup.exe" : setupExe;
    return StartProgram(&setup, exe, "", dir.c_str());
}

HWND SetupTest::WaitForWizard()
{
    return WaitForDialog(&setup, kTitle);
}

HWND SetupTest::FindWizard()
{
    return WaitForDialog(&setup, kTitle, 0);
}

void SetupTest::OpenWizard()
{
    ASSERT_TRUE(StartSetup());
    wizard = WaitForWizard();
    ASSERT_NE(nullptr, wizard);
}

void SetupTest::OpenFolderPage()
{
    OpenWizard();
    PressButton(wizard, IDOK);
    DWORD start = GetTickCount();
    while (!IsControlVisible(wizard, kFolderEdit) && GetTickCount() - start < kWaitMs)
        Sleep(50);
    ASSERT_TRUE(IsControlVisible(wizard, kFolderEdit));
}

void SetupTest::RecordInstallation(DWORD version, const std::string &path)
{
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetupKey, "Version", version));
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kSetupKey, "InstallPath", path));
}

void SetupTest::ExpectBox(HWND box, const char *text, BoxIcon icon, int yesNo)
{
    MessageBoxInfo info = ReadMessageBox(box);
    EXPECT_EQ(kSetupCaption, info.caption);
    EXPECT_EQ(text, info.text);
    EXPECT_STREQ(IconName(icon), IconName(info.icon));
    if (yesNo) {
        EXPECT_TRUE(info.hasYes && info.hasNo && !info.hasOk);
    } else {
        EXPECT_TRUE(info.hasOk && !info.hasYes && !info.hasNo && !info.hasCancel);
    }
}

void SetupTest::AnswerBox(const char *text, BoxIcon icon, int button)
{
    HWND box = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, box) << "no box: " << text;
    ExpectBox(box, text, icon, button == IDYES || button == IDNO);
    PressButton(box, button);
    ASSERT_TRUE(WaitForWindowGone(box));
}
