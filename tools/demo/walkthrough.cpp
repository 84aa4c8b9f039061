/*
 * The walkthrough of the demo media (scripts/run): installs the product
 * from the media, runs the stand-in main program (and Setup refusing to
 * run beside it), assigns a keyword through Helper the way the shell's
 * context menu starts it, updates and uninstalls, and meets every box on
 * the way. It prints what the registry and the install folder hold after
 * each step and leaves, in $QV_SHOTS, a picture of every window with an
 * index page (index.md) that scripts/run completes.
 *
 *   walkthrough.exe <media folder>
 */
#include <windows.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "common/names.h"
#include "helper/resource.h"
#include "setup/resource.h"
#include "setup/texts.h"
#include "version.h"
#include "tests/support/support.h"

namespace {

const char kInstallFolder[] = SETUP_DEFAULT_FOLDER;
const int kFolderEdit = IDC_FOLDER_EDIT, kTitle = IDC_PRODUCT_TITLE, kKeywordBox = IDC_KEYWORD_EDIT;

std::string g_media;
std::string g_index; /* the index page, UTF-8 */
int g_problems;

std::string Utf8(const std::string &ansi)
{
    if (ansi.empty())
        return ansi;
    int n = MultiByteToWideChar(932, 0, ansi.data(), (int)ansi.size(), NULL, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(932, 0, ansi.data(), (int)ansi.size(), &wide[0], n);
    int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, NULL, 0, NULL, NULL);
    std::string utf8(m, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, &utf8[0], m, NULL, NULL);
    return utf8;
}

/* to the console and the index, as UTF-8 */
void Say(const std::string &ansi)
{
    std::string text = Utf8(ansi) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), (DWORD)text.size(), &written, NULL);
    g_index += text;
}

void Problem(const std::string &what)
{
    g_problems++;
    Say("**問題:** " + what + "\n");
}

void Step(const std::string &title)
{
    Say("\n## " + title + "\n");
}

/* a picture of a window, with its line in the index */
void Shot(HWND hwnd, const char *name, const std::string &caption)
{
    if (hwnd == NULL) {
        Problem(std::string("no window for ") + name);
        return;
    }
    SaveShot(hwnd, name);
    std::string line = caption;
    for (size_t at; (at = line.find("\r\n")) != std::string::npos;)
        line.replace(at, 2, " ");
    Say("![" + line + "](" + name + ".png)\n\n" + line + "\n");
}

void Summary()
{
    std::string text = "```\n";
    std::string path, data;
    DWORD value = 0, type = 0;
    if (ReadString(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY, QV_INSTALL_PATH_VALUE, &path))
        text += "HKLM\\" QV_MACHINE_SETUP_KEY "\\InstallPath = " + std::string(path.c_str()) + "\n";
    if (ReadDword(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY, QV_VERSION_VALUE, &value))
        text += "HKLM\\" QV_MACHINE_SETUP_KEY "\\Version = " + std::to_string(value) + "\n";
    if (ReadString(HKEY_CURRENT_USER, QV_SETUP_KEY, QV_INSTALL_PATH_VALUE, &path))
        text += "HKCU\\" QV_SETUP_KEY "\\InstallPath = " + std::string(path.c_str()) + "\n";
    if (ReadDword(HKEY_CURRENT_USER, QV_SETUP_KEY, QV_VERSION_VALUE, &value))
        text += "HKCU\\" QV_SETUP_KEY "\\Version = " + std::to_string(value) + "\n";
    if (!KeyExists(HKEY_CURRENT_USER, QV_PRODUCT_KEY))
        text += "HKCU\\" QV_PRODUCT_KEY ": (none)\n";
    std::vector<std::string> names;
    if (ValueNames(HKEY_CURRENT_USER, QV_OPTION_KEY, &names))
        text += "HKCU\\" QV_OPTION_KEY ": " + std::to_string(names.size()) + " values\n";
    if (ReadDword(HKEY_CURRENT_USER, QV_OPTION_KEY, "UseShellExtention", &value))
        text += "  UseShellExtention = " + std::to_string(value) + "\n";
    if (KeyExists(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY)) {
        ValueNames(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY, &names);
        text += "HKLM\\...\\Uninstall\\Veskaro Quorvane:\n";
        for (const std::string &name : names) {
            if (ReadRaw(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY, name.c_str(), &data, &type))
                text += "  " + name + " = " +
                        (type == REG_DWORD && data.size() == 4 ? std::to_string(*(DWORD *)data.data())
                                                               : std::string(data.c_str())) + "\n";
        }
    } else {
        text += "HKLM\\...\\Uninstall\\Veskaro Quorvane: (none)\n";
    }
    const char *owners[] = {"*", "Directory", "Drive"};
    for (const char *owner : owners) {
        std::string key = std::string(owner) + "\\shell\\" QV_VERB_NAME "\\Command";
        if (ReadRaw(HKEY_CLASSES_ROOT, key.c_str(), "", &data, &type))
            text += "HKCR\\" + key + " = " + std::string(data.c_str()) + "\n";
    }
    if (FolderExists(kInstallFolder)) {
        text += std::string(kInstallFolder) + ":\n";
        for (const std::string &name : FolderEntries(kInstallFolder)) {
            std::string bytes;
            ReadFileBytes(kInstallFolder + name, &bytes);
            text += "  " + name + " (" + std::to_string(bytes.size()) + " bytes)\n";
        }
    } else {
        text += std::string(kInstallFolder) + ": (none)\n";
    }
    Say(text + "```");
}

HWND WaitBox(Program *program, const char *name, const std::string &caption)
{
    HWND box = WaitForMessageBox(program);
    if (box == NULL) {
        Problem(std::string("no box for ") + name);
        return NULL;
    }
    MessageBoxInfo info = ReadMessageBox(box);
    Shot(box, name, caption + ":「" + info.text + "」");
    return box;
}

void Answer(HWND box, int button)
{
    if (box != NULL) {
        PressButton(box, button);
        WaitForWindowGone(box);
    }
}

void ExpectExit(Program *program, DWORD expected)
{
    DWORD code = WaitForExit(program);
    Say("終了コード: " + std::to_string((long)code) + "\n");
    if (code != expected)
        Problem("exit code " + std::to_string((long)code) + ", expected " +
                std::to_string((long)expected));
    EndProgram(program);
}

int StartSetupFromMedia(Program *setup)
{
    return StartProgram(setup, g_media + "Setup.exe", "", g_media.c_str());
}

void Install()
{
    Step("1. インストール");
    Program setup;
    if (!StartSetupFromMedia(&setup)) {
        Problem("Setup.exe does not start");
        return;
    }
    HWND wizard = WaitForDialog(&setup, kTitle);
    Shot(wizard, "01-wizard-welcome", "ウィザードの最初のページ");
    PressButton(wizard, IDOK);
    WaitForControlShown(wizard, kFolderEdit);
    Shot(wizard, "02-wizard-folder", "セットアップ先フォルダのページ");

    PressButton(wizard, IDC_BROWSE);
    HWND browser = WaitForOtherDialog(&setup, wizard, IDOK);
    Shot(browser, "03-folder-browser", "参照(&B)... のフォルダ選択");
    if (browser != NULL) {
        PressButton(browser, IDCANCEL);
        WaitForWindowGone(browser);
    }

    PressButton(wizard, IDOK);
    Answer(WaitBox(&setup, "04-box-create-folder", "フォルダ作成の確認"), IDYES);
    Answer(WaitBox(&setup, "05-box-install-complete", "インストールの完了"), IDOK);
    HWND folder = WaitForChildWindow(&setup, 15000);
    if (folder != NULL)
        Shot(folder, "06-install-folder", "完了後に開かれるセットアップ先フォルダ");
    ExpectExit(&setup, 0);
    Summary();
}

void RunBesideMainProgram(Program *main)
{
    Step("2. 本体 (代役) の起動と、実行中のセットアップ");
    std::string mainExe = std::string(kInstallFolder) + QV_MAIN_EXE;
    Program registration;
    if (StartProgram(&registration, mainExe, "--register", kInstallFolder))
        ExpectExit(&registration, 0);
    Say("代役の本体が、コンテキスト メニューの項目「" QV_VERB_NAME "」を登録しました。");
    if (!StartProgram(main, mainExe, "", kInstallFolder)) {
        Problem("the stand-in does not start");
        return;
    }
    HWND window = NULL;
    for (DWORD start = GetTickCount(); window == NULL && GetTickCount() - start < kWaitMs;) {
        window = FindTopLevel("QuorvaneStandIn", NULL);
        Sleep(100);
    }
    Shot(window, "07-main-program", "本体の代役: キーワード ファイルのレコードを表示");

    Program setup;
    if (StartSetupFromMedia(&setup)) {
        Answer(WaitBox(&setup, "08-box-running", "本体の実行中はセットアップできない"), IDOK);
        ExpectExit(&setup, 1);
    }
    Summary();
}

/* the command line the shell builds from the verb for this target */
std::string VerbCommand(const char *owner, const std::string &target)
{
    std::string command;
    DWORD type = 0;
    std::string key = std::string(owner) + "\\shell\\" QV_VERB_NAME "\\Command";
    if (!ReadRaw(HKEY_CLASSES_ROOT, key.c_str(), "", &command, &type))
        return std::string();
    command = command.c_str();
    size_t at = command.find("%1");
    if (at != std::string::npos)
        command.replace(at, 2, target);
    return command;
}

void AssignKeyword(Program *main)
{
    Step("3. エクスプローラーからのキーワードの割り当て");
    std::string helperExe = std::string(kInstallFolder) + QV_HELPER_EXE;
    std::string target = "C:\\Data\\メモ.txt";
    std::string command = VerbCommand("*", target);
    Say("コンテキスト メニューが実行するコマンド: " + command);
    Program helper;
    if (command.empty() || !StartProgramRaw(&helper, helperExe, command, "C:\\Data")) {
        Problem("Helper does not start from the verb");
        return;
    }
    HWND box = WaitForDialog(&helper, kKeywordBox);
    Shot(box, "09-helper-inputbox", "キーワードの入力 (ターゲットのパスがタイトル)");
    SetControlText(box, kKeywordBox, "めも");
    PressButton(box, IDOK);
    ExpectExit(&helper, 1);
    std::string keywords;
    ReadFileBytes(std::string(kInstallFolder) + QV_KEYWORD_FILE, &keywords);
    Say("```\n" QV_KEYWORD_FILE ":\n" + keywords + "```");
    Sleep(500);
    Shot(FindTopLevel("QuorvaneStandIn", NULL), "10-main-program-reloaded",
         "本体 (代役) は通知を受けて、新しいレコードをすぐに表示");

    command = VerbCommand("Drive", "C:\\");
    if (!command.empty() && StartProgramRaw(&helper, helperExe, command, "C:\\")) {
        box = WaitForDialog(&helper, kKeywordBox);
        Shot(box, "11-helper-drive", "ドライブのルート: キーワードの候補は空");
        PressButton(box, IDCANCEL);
        ExpectExit(&helper, 2);
    }

    if (StartProgram(&helper, helperExe, "", kInstallFolder)) {
        Answer(WaitBox(&helper, "12-helper-information", "引数なしで起動したとき"), IDOK);
        ExpectExit(&helper, (DWORD)-1);
    }

    std::string file = std::string(kInstallFolder) + QV_KEYWORD_FILE;
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    if (StartProgram(&helper, helperExe, "C:\\Data\\Projects", "C:\\")) {
        box = WaitForDialog(&helper, kKeywordBox);
        PressButton(box, IDOK);
        Answer(WaitBox(&helper, "13-helper-append-failed", "キーワード ファイルに書き込めないとき"),
               IDOK);
        ExpectExit(&helper, 1);
    }
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);

    PostMessageA(FindTopLevel("QuorvaneStandIn", NULL), WM_CLOSE, 0, 0);
    ExpectExit(main, 0);
}

void Update()
{
    Step("4. アップデート (バージョン " + std::to_string(QV_VERSION_NUMBER - 1) +
         " が記録されているとき)");
    WriteDword(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY, QV_VERSION_VALUE, QV_VERSION_NUMBER - 1);
    Program setup;
    if (!StartSetupFromMedia(&setup))
        return;
    HWND wizard = WaitForDialog(&setup, kTitle);
    Shot(wizard, "14-wizard-update", "アップデートのページ");
    PressButton(wizard, IDOK);
    Answer(WaitBox(&setup, "15-box-update-complete", "アップデートの完了"), IDOK);
    ExpectExit(&setup, 0);
    Summary();
}

void CancelAndUninstall()
{
    Step("5. 中止と、プログラムと機能からのアンインストール");
    Program setup;
    if (StartSetupFromMedia(&setup)) {
        HWND wizard = WaitForDialog(&setup, kTitle);
        PressButton(wizard, IDCANCEL);
        Answer(WaitBox(&setup, "16-box-cancel-question", "キャンセルの確認"), IDYES);
        Answer(WaitBox(&setup, "17-box-cancelled", "中止"), IDOK);
        ExpectExit(&setup, 0);
    }

    std::string command;
    DWORD type = 0;
    if (!ReadRaw(HKEY_LOCAL_MACHINE, QV_UNINSTALL_KEY, "UninstallString", &command, &type)) {
        Problem("no uninstall entry");
        return;
    }
    command = command.c_str();
    Say("アンインストールのコマンド: " + command);
    std::string exe = command.substr(1, command.size() - 2); /* without its quotes */
    if (!StartProgramRaw(&setup, exe, command, kInstallFolder)) {
        Problem("the uninstall command does not start");
        return;
    }
    HWND wizard = WaitForDialog(&setup, kTitle);
    Shot(wizard, "18-wizard-uninstall", "アンインストールのページ (残るファイルの注意書き)");
    PressButton(wizard, IDOK);
    Answer(WaitBox(&setup, "19-box-uninstall-complete", "アンインストールの完了"), IDOK);
    ExpectExit(&setup, 0);
    Summary();
}

/* the remaining boxes of Setup, each from the state that brings it */
void OtherBoxes()
{
    Step("6. そのほかのメッセージ");
    Program setup;
    WriteDword(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY, QV_VERSION_VALUE, QV_VERSION_NUMBER + 1);
    WriteString(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY, QV_INSTALL_PATH_VALUE, kInstallFolder);
    if (StartSetupFromMedia(&setup)) {
        Answer(WaitBox(&setup, "20-box-newer", "より新しいバージョンが記録されているとき"), IDOK);
        ExpectExit(&setup, 0);
    }
    ResetProductRegistry();
    WriteDword(HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY, QV_VERSION_VALUE, QV_VERSION_NUMBER - 1);
    if (StartSetupFromMedia(&setup)) {
        Answer(WaitBox(&setup, "21-box-registry-error", "インストールの記録が読めないとき"), IDOK);
        ExpectExit(&setup, (DWORD)-1);
    }
    ResetProductRegistry();

    if (StartSetupFromMedia(&setup)) {
        HWND wizard = WaitForDialog(&setup, kTitle);
        PressButton(wizard, IDOK);
        WaitForControlShown(wizard, kFolderEdit);
        SetControlText(wizard, kFolderEdit, "C:");
        PressButton(wizard, IDOK);
        Answer(WaitBox(&setup, "22-box-folder-prompt", "フォルダの指定が短すぎるとき"), IDOK);
        SetControlText(wizard, kFolderEdit, "Q:\\Quorvane\\");
        PressButton(wizard, IDOK);
        Answer(WaitForMessageBox(&setup), IDYES);
        Answer(WaitBox(&setup, "23-box-create-failed", "フォルダを作成できないとき"), IDOK);
        EndProgram(&setup);
    }

    std::string broken = TestRoot() + "broken-media\\";
    if (BuildMedia(broken, 0)) {
        DeleteFileA((broken + "Helper.ex_").c_str());
        if (StartProgram(&setup, broken + "Setup.exe", "", broken.c_str())) {
            HWND wizard = WaitForDialog(&setup, kTitle);
            PressButton(wizard, IDOK);
            WaitForControlShown(wizard, kFolderEdit);
            SetControlText(wizard, kFolderEdit, TestRoot() + "Broken\\");
            /* the media are checked before the folder is made */
            PressButton(wizard, IDOK);
            Answer(WaitBox(&setup, "24-box-fatal", "メディアのファイルが欠けているとき"), IDOK);
            ExpectExit(&setup, (DWORD)-1);
        }
    }
    ResetProductRegistry();
    DeleteTree(TestRoot());
}

/* the wizard and the input box on a screen at 150 per cent */
void HighDpi()
{
    Step("7. 150 % の画面 (144 DPI)");
    ScreenDpi dpi(144);
    Program setup;
    if (StartSetupFromMedia(&setup)) {
        Shot(WaitForDialog(&setup, kTitle), "25-wizard-150", "ウィザード (150 %)");
        EndProgram(&setup);
    }
    std::string helperExe = TestRoot() + QV_HELPER_EXE;
    Program helper;
    if (MakeFreshFolder(TestRoot()) &&
        CopyFileA((g_media + "Helper.ex_").c_str(), helperExe.c_str(), FALSE) &&
        StartProgram(&helper, helperExe, "C:\\Data\\メモ.txt", "C:\\")) {
        Shot(WaitForDialog(&helper, kKeywordBox), "26-helper-inputbox-150",
             "キーワードの入力 (150 %)");
        EndProgram(&helper);
    }
    DeleteTree(TestRoot());
}

/* the index page, read back: a Markdown viewer shows it only when every
   byte of it is UTF-8 */
int WriteIndex(const std::string &path)
{
    if (!WriteFileBytes(path, g_index)) {
        fprintf(stderr, "walkthrough: %s cannot be written\n", path.c_str());
        return 0;
    }
    std::string back;
    if (!ReadFileBytes(path, &back) || back != g_index ||
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, back.data(), (int)back.size(), NULL,
                            0) == 0) {
        fprintf(stderr, "walkthrough: %s is not the UTF-8 index it should be\n", path.c_str());
        return 0;
    }
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: walkthrough.exe <media folder>\n");
        return 2;
    }
    g_media = argv[1];
    if (g_media.empty() || g_media[g_media.size() - 1] != '\\')
        g_media += '\\';

    /* a clean machine: no product, and some things to assign keywords to.
       Setup opens the install folder through the machine's Folder class,
       which in Wine's registry has no "explore" verb: Wine's own folder
       window stands in for Windows' */
    ResetProductRegistry();
    WriteString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Folder\\shell\\explore\\command", "",
                "C:\\windows\\explorer.exe \"%1\"");
    DeleteTree(kInstallFolder);
    DeleteTree(TestRoot());
    MakeFreshFolder("C:\\Data\\Projects");
    WriteFileBytes("C:\\Data\\メモ.txt", "メモ\r\n");

    /* the literals are code page 932, the index UTF-8 throughout */
    g_index = Utf8("# Quorvane Setup と Helper のウォークスルー\n\n"
                   "デモ用メディア (build/media) から、インストール、本体 (代役) の起動、"
                   "キーワードの割り当て、アップデート、アンインストールを Wine 上で実行した記録です。"
                   "本体 Quorvane.exe はこのリポジトリに含まれないため、"
                   "境界の動作だけを持つ代役を使っています。\n");
    Install();
    Program main;
    RunBesideMainProgram(&main);
    AssignKeyword(&main);
    Update();
    CancelAndUninstall();
    OtherBoxes();
    HighDpi();

    Step(g_problems == 0 ? "結果: すべての手順が期待どおりに終わりました。"
                         : "結果: 問題が " + std::to_string(g_problems) + " 件ありました。");
    char folder[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("QV_SHOTS", folder, sizeof(folder));
    if (n > 0 && n < sizeof(folder) && !WriteIndex(std::string(folder) + "\\index.md"))
        return 1;
    return g_problems == 0 ? 0 : 1;
}
