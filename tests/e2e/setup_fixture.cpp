/*
 * Shared set-up of the Setup end-to-end tests (see setup_fixture.h).
 */
#include "setup_fixture.h"

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
    /* every opened folder shows as a window of the stand-in */
    ASSERT_TRUE(RecordFolderOpenings());
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
    return StartProgram(&setup, media + QV_SETUP_EXE, arguments, dir.c_str());
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
    std::string exe = media + QV_SETUP_EXE;
    return RunsSilentlyAs(exe, "\"" + exe + "\" " + arguments, exitCode);
}

/* the started Setup to its end: no window of its own, nothing left in
   its job, and exitCode */
static ::testing::AssertionResult EndsSilently(Program *setup, DWORD exitCode)
{
    VisibleSearch search = {setup->pid, std::string()};
    DWORD start = GetTickCount();
    while (WaitForSingleObject(setup->process, 20) == WAIT_TIMEOUT) {
        if (search.caption.empty())
            EnumWindows(FindVisibleWindow, (LPARAM)&search);
        if (GetTickCount() - start > kWaitMs) {
            EndProgram(setup);
            return ::testing::AssertionFailure() << "no end; a window " << search.caption;
        }
    }
    if (!search.caption.empty())
        return ::testing::AssertionFailure() << "a window showed: " << search.caption;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(setup->process, &code);
    if (!JobEmpties(setup))
        return ::testing::AssertionFailure() << "it started " << JobProcessNames(setup);
    return EndedWith(code, exitCode);
}

::testing::AssertionResult SetupTest::RunsSilentlyAs(const std::string &exe,
                                                     const std::string &commandLine,
                                                     DWORD exitCode)
{
    if (!StartProgramRaw(&setup, exe, commandLine, media.c_str()))
        return ::testing::AssertionFailure() << "Setup does not start";
    return EndsSilently(&setup, exitCode);
}

::testing::AssertionResult SetupTest::RunsSilentlyWide(const std::wstring &arguments,
                                                       DWORD exitCode, const std::wstring &other)
{
    wchar_t exe[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, (media + QV_SETUP_EXE).c_str(), -1, exe, MAX_PATH))
        return ::testing::AssertionFailure() << "no wide media path";
    if (!other.empty())
        lstrcpynW(exe, other.c_str(), MAX_PATH);
    if (!StartProgramWide(&setup, exe, L"\"" + std::wstring(exe) + L"\" " + arguments,
                          media.c_str()))
        return ::testing::AssertionFailure() << "Setup does not start";
    return EndsSilently(&setup, exitCode);
}

HWND SetupTest::WaitForWizard()
{
    return WaitForDialog(&setup, IDC_PRODUCT_TITLE);
}

HWND SetupTest::FindWizard()
{
    return WaitForDialog(&setup, IDC_PRODUCT_TITLE, 0);
}

::testing::AssertionResult SetupTest::OpenWizard()
{
    if (!StartSetup())
        return ::testing::AssertionFailure() << "Setup does not start";
    wizard = WaitForWizard();
    if (wizard == NULL)
        return ::testing::AssertionFailure() << "no wizard";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::OpenFolderPage()
{
    ::testing::AssertionResult open = OpenWizard();
    if (!open)
        return open;
    PressButton(wizard, IDOK);
    /* the page shows the folder box, then the browse button */
    if (!WaitForControlShown(wizard, IDC_BROWSE))
        return ::testing::AssertionFailure() << "no folder page";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::RunOperation(const char *doneText, BoxIcon icon,
                                                   DWORD exitCode)
{
    ::testing::AssertionResult open = OpenWizard();
    if (!open)
        return open;
    PressButton(wizard, IDOK);
    return EndsWithBox(doneText, icon, exitCode);
}

::testing::AssertionResult SetupTest::RecordInstallation(DWORD version, const std::string &path,
                                                         HKEY root)
{
    const char *key = root == HKEY_LOCAL_MACHINE ? kMachineSetupKey : kSetupKey;
    if (!WriteDword(root, key, kVersionValue, version) ||
        !WriteString(root, key, kInstallPathValue, path))
        return ::testing::AssertionFailure() << "the record cannot be written";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::IsSetupBox(HWND box, const char *text, BoxIcon icon,
                                                 UINT buttons)
{
    return IsBox(box, SETUP_CAPTION, text, icon, buttons);
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
    ::testing::AssertionResult shown = IsSetupBox(box, SETUP_REGISTRY_READ_TEXT, IconError);
    if (box != NULL)
        PressButton(box, IDOK);
    if (!shown)
        return shown;
    return EndedWith(WaitForExit(&setup), 0xFFFFFFFF);
}

::testing::AssertionResult SetupTest::HasProductFiles(const std::string &folder)
{
    std::string data, source;
    for (const ProductFile *row : MediaRows()) {
        if (!ReadFileBytes(folder + row->name, &data))
            return ::testing::AssertionFailure() << row->name << " is missing";
        if (!ReadFileBytes(media + row->mediaName, &source) || data != source)
            return ::testing::AssertionFailure()
                   << row->name << " is no byte copy of " << row->mediaName;
    }
    if (!ReadFileBytes(folder + QV_SETTINGS_FILE, &data) || !data.empty())
        return ::testing::AssertionFailure() << "no empty " << QV_SETTINGS_FILE;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::RecordedVersionIs(DWORD expected, HKEY root)
{
    DWORD version = 0;
    const char *key = root == HKEY_LOCAL_MACHINE ? kMachineSetupKey : kSetupKey;
    if (!ReadDword(root, key, kVersionValue, &version))
        return ::testing::AssertionFailure() << "no version recorded under " << key;
    if (version != expected)
        return ::testing::AssertionFailure() << "version " << version << " recorded under " << key
                                             << ", expected " << expected;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::HasRecord(const std::string &folder)
{
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        std::string path;
        const char *key = root == HKEY_LOCAL_MACHINE ? kMachineSetupKey : kSetupKey;
        if (!ReadString(root, key, kInstallPathValue, &path) || path != folder + '\0')
            return ::testing::AssertionFailure()
                   << "InstallPath \"" << path.c_str() << "\" under " << key;
        ::testing::AssertionResult version = RecordedVersionIs(kThisVersion, root);
        if (!version)
            return version;
    }
    std::string command;
    if (!ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", &command) ||
        command != "\"" + folder + QV_SETUP_EXE + "\"" + '\0')
        return ::testing::AssertionFailure() << "UninstallString " << command.c_str();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::NothingRecorded()
{
    if (KeyExists(HKEY_CURRENT_USER, kProductKey))
        return ::testing::AssertionFailure() << "the product key exists";
    if (KeyExists(HKEY_LOCAL_MACHINE, kMachineProductKey))
        return ::testing::AssertionFailure() << "the machine's product key exists";
    if (KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey))
        return ::testing::AssertionFailure() << "the uninstall entry exists";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::StillOnFolderPage()
{
    if (!IsRunning(&setup))
        return ::testing::AssertionFailure() << "Setup has ended";
    if (!IsWindowVisible(wizard) || !IsControlVisible(wizard, IDC_FOLDER_EDIT))
        return ::testing::AssertionFailure() << "the folder page is not shown";
    if (ControlText(wizard, IDC_PAGE_MESSAGE) != SETUP_FOLDER_PROMPT)
        return ::testing::AssertionFailure() << "page message "
                                             << ControlText(wizard, IDC_PAGE_MESSAGE);
    return ::testing::AssertionSuccess();
}
