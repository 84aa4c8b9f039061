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

/* the default folder's maker folder, which only the tests that install
   there make */
static const char kMakerFolder[] = "C:\\Program Files\\Veskaro\\";

void SetupTest::SetUp()
{
    ResetProductRegistry();
    DeleteTree(kMakerFolder);
    DeleteTree(TestRoot());
    ASSERT_FALSE(FolderExists(TestRoot())) << "a leftover test folder cannot be deleted";
    media = TestRoot() + "media\\";
    ASSERT_TRUE(BuildMedia(media));
}

void SetupTest::TearDown()
{
    EndProgram(&setup);
    ResetProductRegistry();
    DeleteTree(kMakerFolder);
    DeleteTree(TestRoot());
}

int SetupTest::StartSetup(const std::string &currentDir, const std::string &arguments)
{
    std::string dir = currentDir.empty() ? media : currentDir;
    return StartProgram(&setup, media + "Setup.exe", arguments, dir.c_str());
}

struct VisibleSearch {
    DWORD pid;
    std::string caption;
};

static BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM lParam)
{
    VisibleSearch *search = (VisibleSearch *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !IsWindowVisible(hwnd))
        return TRUE;
    search->caption = "\"" + WindowText(hwnd) + "\"";
    return FALSE;
}

::testing::AssertionResult SetupTest::RunsSilently(const std::string &arguments,
                                                   DWORD exitCode)
{
    std::string exe = media + "Setup.exe";
    return RunsSilentlyAs(exe, "\"" + exe + "\" " + arguments, exitCode);
}

::testing::AssertionResult SetupTest::RunsSilentlyAs(const std::string &exe,
                                                     const std::string &commandLine,
                                                     DWORD exitCode)
{
    if (!StartProgramRaw(&setup, exe, commandLine, media.c_str()))
        return ::testing::AssertionFailure() << "Setup does not start";
    VisibleSearch search = {setup.pid, std::string()};
    DWORD start = GetTickCount();
    while (WaitForSingleObject(setup.process, 20) == WAIT_TIMEOUT) {
        if (search.caption.empty())
            EnumWindows(FindVisibleWindow, (LPARAM)&search);
        if (GetTickCount() - start > kWaitMs) {
            EndProgram(&setup);
            return ::testing::AssertionFailure() << "no end; a window " << search.caption;
        }
    }
    if (!search.caption.empty())
        return ::testing::AssertionFailure() << "a window showed: " << search.caption;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(setup.process, &code);
    if (JobProcessCount(&setup) != 0)
        return ::testing::AssertionFailure() << "it started another program";
    return EndedWith(code, exitCode);
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
    if (wizard == NULL)
        return;
    PressButton(wizard, IDOK);
    ASSERT_TRUE(WaitForControlShown(wizard, kFolderEdit));
}

void SetupTest::RecordInstallation(DWORD version, const std::string &path)
{
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetupKey, "Version", version));
    ASSERT_TRUE(WriteString(HKEY_CURRENT_USER, kSetupKey, "InstallPath", path));
}

::testing::AssertionResult SetupTest::IsSetupBox(HWND box, const char *text, BoxIcon icon,
                                                 UINT buttons)
{
    return IsBox(box, kSetupCaption, text, icon, buttons);
}

::testing::AssertionResult SetupTest::AnswerBox(const char *text, BoxIcon icon, int button)
{
    UINT buttons = button == IDYES || button == IDNO           ? MB_YESNO
                   : button == IDRETRY || button == IDCANCEL ? MB_RETRYCANCEL
                                                             : MB_OK;
    HWND box = WaitForMessageBox(&setup);
    ::testing::AssertionResult result = IsSetupBox(box, text, icon, buttons);
    if (box == NULL)
        return result;
    PressButton(box, button);
    if (!WaitForWindowGone(box))
        return ::testing::AssertionFailure() << "the box for \"" << text << "\" stays";
    return result;
}

::testing::AssertionResult EndedWith(DWORD code, DWORD expected)
{
    if (code == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "exit code 0x" << std::hex << code
                                         << ", expected 0x" << expected;
}

::testing::AssertionResult SetupTest::EndsWithBox(const char *text, BoxIcon icon,
                                                  DWORD exitCode)
{
    ::testing::AssertionResult box = AnswerBox(text, icon, IDOK);
    if (!box)
        return box;
    return EndedWith(WaitForExit(&setup), exitCode);
}

::testing::AssertionResult SetupTest::EndsInReadError()
{
    if (!StartSetup())
        return ::testing::AssertionFailure() << "Setup does not start";
    HWND box = WaitForMessageBox(&setup);
    if (FindWizard() != NULL)
        return ::testing::AssertionFailure() << "the wizard opened";
    ::testing::AssertionResult shown = IsSetupBox(box, kRegistryRead, IconError);
    if (box != NULL)
        PressButton(box, IDOK);
    if (!shown)
        return shown;
    return EndedWith(WaitForExit(&setup), 0xFFFFFFFF);
}

::testing::AssertionResult SetupTest::HasProductFiles(const std::string &folder)
{
    std::string data, source;
    for (int i = 0; i < MediaFileCount; i++) {
        if (!ReadFileBytes(folder + InstalledName(i), &data))
            return ::testing::AssertionFailure() << InstalledName(i) << " is missing";
        if (!ReadFileBytes(media + MediaName(i), &source) || data != source)
            return ::testing::AssertionFailure()
                   << InstalledName(i) << " is no byte copy of " << MediaName(i);
    }
    if (!ReadFileBytes(folder + "NoTitle.set", &data) || !data.empty())
        return ::testing::AssertionFailure() << "no empty NoTitle.set";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::HasRecord(const std::string &folder)
{
    std::string path, command;
    DWORD version = 0;
    if (!ReadString(HKEY_CURRENT_USER, kSetupKey, "InstallPath", &path) || path != folder + '\0')
        return ::testing::AssertionFailure() << "InstallPath \"" << path.c_str() << "\"";
    if (!ReadDword(HKEY_CURRENT_USER, kSetupKey, "Version", &version) || version != 130)
        return ::testing::AssertionFailure() << "Version " << version;
    if (!ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", &command) ||
        command != "\"" + folder + "Setup.exe\"" + '\0')
        return ::testing::AssertionFailure() << "UninstallString " << command.c_str();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::NothingRecorded()
{
    if (KeyExists(HKEY_CURRENT_USER, kProductKey))
        return ::testing::AssertionFailure() << "the product key exists";
    if (KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey))
        return ::testing::AssertionFailure() << "the uninstall entry exists";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::StillOnFolderPage()
{
    if (!IsRunning(&setup))
        return ::testing::AssertionFailure() << "Setup has ended";
    if (!IsWindowVisible(wizard) || !IsControlVisible(wizard, kFolderEdit))
        return ::testing::AssertionFailure() << "the folder page is not shown";
    if (ControlText(wizard, kPageMessage) != kFolderPrompt)
        return ::testing::AssertionFailure() << "page message " << ControlText(wizard, kPageMessage);
    return ::testing::AssertionSuccess();
}
