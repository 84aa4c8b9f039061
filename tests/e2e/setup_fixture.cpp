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
    return EndedWith(WaitForExit(&setup), kExitFailed);
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

std::string Keywords()
{
    return Record("memo", "C:\\Data\\memo.txt");
}

::testing::AssertionResult SetupTest::LayOutInstallation(const std::string &folder,
                                                         DWORD version)
{
    int ok = MakeFreshFolder(folder);
    for (const ProductFile &file : kProductFiles)
        ok = ok && WriteFileBytes(folder + file.name, std::string("old ") + file.name);
    ok = ok && WriteFileBytes(folder + QV_KEYWORD_FILE, Keywords()) &&
         WriteFileBytes(folder + "Other.txt", "the user's") &&
         WriteDword(HKEY_CURRENT_USER, kOptionKey, "IsOnTop", 1);
    if (!ok)
        return ::testing::AssertionFailure() << "the installation cannot be laid out";
    ::testing::AssertionResult user = RecordInstallation(version, folder, HKEY_CURRENT_USER);
    if (!user)
        return user;
    return RecordInstallation(version, folder, HKEY_LOCAL_MACHINE);
}

::testing::AssertionResult SetupTest::AddVerbKeys()
{
    for (const char *key : kVerbKeys) {
        std::string command = std::string(key) + "\\Command";
        if (!WriteString(HKEY_CLASSES_ROOT, command.c_str(), "", "\"C:\\Tools\\Helper.exe\" \"%1\""))
            return ::testing::AssertionFailure() << "no verb key " << key;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::NoVerbKeys()
{
    for (const char *key : kVerbKeys) {
        if (KeyExists(HKEY_CLASSES_ROOT, key))
            return ::testing::AssertionFailure() << "the verb key " << key << " stays";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::ProgramFilesRemoved(const std::string &folder)
{
    for (const ProductFile &file : kProductFiles) {
        if (file.step[UninstallFiles] == RemoveFile && FileExists(folder + file.name))
            return ::testing::AssertionFailure() << file.name << " stays";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SetupTest::KeywordsKept(const std::string &folder)
{
    std::string data;
    if (!ReadFileBytes(folder + QV_KEYWORD_FILE, &data))
        return ::testing::AssertionFailure() << "the keyword file is gone";
    if (data != Keywords())
        return ::testing::AssertionFailure() << "the keyword file holds " << data;
    return ::testing::AssertionSuccess();
}

std::map<std::string, std::string> FolderContents(const std::string &folder)
{
    std::map<std::string, std::string> contents;
    for (const std::string &name : FolderEntries(folder))
        ReadFileBytes(folder + name, &contents[name]);
    return contents;
}

::testing::AssertionResult NoTemporaryFiles(const std::string &folder)
{
    for (const std::string &name : FolderEntries(folder)) {
        if (name.find(FILE_NEW_SUFFIX) != std::string::npos ||
            name.find(FILE_OLD_SUFFIX) != std::string::npos || name == FILE_SWAP_JOURNAL)
            return ::testing::AssertionFailure() << name << " is left";
    }
    return ::testing::AssertionSuccess();
}

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

::testing::AssertionResult EndsWithCode(const std::string &text, long code)
{
    size_t start = text.rfind("\r\n", text.size() - 3);
    std::string last = text.substr(start == std::string::npos ? 0 : start + 2);
    std::string expected = LOG_END + std::to_string(code) + " (";
    if (last.find(expected) != 20 || last.size() < 4 ||
        last.compare(last.size() - 3, 3, ")\r\n") != 0)
        return ::testing::AssertionFailure() << "the last line is " << last;
    return ::testing::AssertionSuccess();
}

std::string BoxLine(const std::string &text)
{
    std::string line = LOG_BOX + text;
    for (char &c : line) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return line;
}

std::string Journal(char operation, DWORD version, const std::vector<std::string> &names)
{
    struct SwapJournal journal = {};
    journal.operation = operation;
    journal.version = version;
    journal.count = kProductFileCount;
    for (size_t i = 0; i < kProductFileCount; i++) {
        journal.rows[i] = RowOutside;
        snprintf(journal.names[i], sizeof(journal.names[i]), "%s", kProductFiles[i].name);
        for (const std::string &name : names) {
            if (name == kProductFiles[i].name)
                journal.rows[i] = RowReplaced;
        }
    }
    char out[JOURNAL_MAX_SIZE];
    return std::string(out, FormatJournal(&journal, out, sizeof(out)));
}
