/*
 * Stand-in for the product's main program, which is not ours. The tests
 * use it, and the demo media ships it as "Quorvane.ex_" so that a
 * walkthrough can show the whole boundary; it is clearly labelled as a
 * stand-in wherever it shows itself. At our boundary it does what the
 * main program does:
 * - holds the mutex "WinQuorvane" while it runs;
 * - writes and removes the context-menu verb keys that start Helper.exe
 *   beside it (--register, --unregister), with the shell-extension option;
 * - lists the records of "!Default.kws" beside it and reloads them on the
 *   broadcast "WM_QUORVANEFILEUPDATE", whose count and parameters tests
 *   read with WM_APP messages.
 *
 *   QuorvaneStandIn.exe [--hidden] [--no-mutex]   run, listing the records
 *   QuorvaneStandIn.exe --hang                    a window whose thread
 *                                                 stops pumping
 *   QuorvaneStandIn.exe --register | --unregister the verb keys, then end
 *   QuorvaneStandIn.exe --opened <folder>         a window captioned with
 *                                                 the folder: the command a
 *                                                 test registers for the
 *                                                 shell's folder verb
 */
#include <windows.h>
#include <string.h>

#include "common/names.h"
#include "common/text.h"
#include "protocol.h"

#define STANDIN_TITLE "Quorvane (代役プログラム)"
#define STANDIN_NOTICE "これは製品の本体ではありません。テストとデモのための代役です。"

enum { kListId = 100, kNoticeId = 101, kCountId = 102 };
static const DWORD kMaxFileBytes = 1024 * 1024;

static UINT g_updateMessage;
static LONG g_count;       /* broadcasts received */
static LONG g_nonZero;     /* of those, with a wParam or lParam */
static LONG g_posted;      /* of those, posted rather than sent */
static char g_folder[MAX_PATH]; /* the folder of this program */

static int InFolder(char *out, const char *name)
{
    return JoinText(out, MAX_PATH, g_folder, name);
}

static int SetKeyDefault(const char *key, const char *text)
{
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key, 0, NULL, 0, KEY_SET_VALUE, NULL,
                        &handle, NULL) != ERROR_SUCCESS)
        return 0;
    LONG status = RegSetValueExA(handle, NULL, 0, REG_SZ, (const BYTE *)text,
                                 (DWORD)lstrlenA(text) + 1);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

static void SetShellExtensionOption(DWORD value)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, QV_OPTION_KEY, 0, NULL, 0, KEY_SET_VALUE,
                        NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "UseShellExtention", 0, REG_DWORD, (const BYTE *)&value,
                   sizeof(value));
    RegCloseKey(key);
}

/* the verb for files, folders and drives; the target is quoted where it
   may hold spaces, and not for drives, whose roots end in a backslash
   that would make the closing quote literal */
static int RegisterVerb(void)
{
    char helper[MAX_PATH], quoted[MAX_PATH + 16], bare[MAX_PATH + 16];
    if (!InFolder(helper, QV_HELPER_EXE))
        return 0;
    wsprintfA(quoted, "\"%s\" \"%%1\"", helper);
    wsprintfA(bare, "\"%s\" %%1", helper);
    int ok = SetKeyDefault(QV_VERB_KEY("*") "\\Command", quoted) &&
             SetKeyDefault(QV_VERB_KEY("Directory") "\\Command", quoted) &&
             SetKeyDefault(QV_VERB_KEY("Drive") "\\Command", bare);
    SetShellExtensionOption(ok ? 1 : 0);
    return ok;
}

static void UnregisterVerb(void)
{
    static const char *const keys[] = {
        QV_VERB_KEY("*") "\\Command",         QV_VERB_KEY("*"),
        QV_VERB_KEY("Directory") "\\Command", QV_VERB_KEY("Directory"),
        QV_VERB_KEY("Drive") "\\Command",     QV_VERB_KEY("Drive"),
    };
    for (size_t i = 0; i < sizeof(keys) / sizeof(keys[0]); i++)
        RegDeleteKeyA(HKEY_CLASSES_ROOT, keys[i]);
    SetShellExtensionOption(0);
}

/* the records of the keyword file as "keyword → target" lines */
static void LoadRecords(HWND hwnd)
{
    HWND list = GetDlgItem(hwnd, kListId);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    char path[MAX_PATH];
    if (!InFolder(path, QV_KEYWORD_FILE))
        return;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"(" QV_KEYWORD_FILE " がありません)");
        return;
    }
    DWORD size = GetFileSize(file, NULL);
    if (size == INVALID_FILE_SIZE || size > kMaxFileBytes)
        size = 0;
    char *text = (char *)HeapAlloc(GetProcessHeap(), 0, size + 1);
    DWORD read = 0;
    if (text == NULL || !ReadFile(file, text, size, &read, NULL))
        read = 0;
    CloseHandle(file);
    if (text == NULL)
        return;
    text[read] = '\0';

    /* keyword line, target line, empty line; a malformed tail as it is */
    char *lines[3];
    int n = 0;
    char *p = text;
    while (*p != '\0') {
        char *end = strstr(p, "\r\n");
        if (end != NULL)
            *end = '\0';
        lines[n++] = p;
        if (n == 3 || end == NULL) {
            char item[640];
            if (n >= 2)
                wsprintfA(item, "%.255s  →  %.300s", lines[0], lines[1]);
            else
                wsprintfA(item, "%.300s", lines[0]);
            SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)item);
            n = 0;
        }
        if (end == NULL)
            break;
        p = end + 2;
    }
    HeapFree(GetProcessHeap(), 0, text);
}

static void ShowCount(HWND hwnd)
{
    char text[64];
    wsprintfA(text, "更新の通知: %ld 回", g_count);
    SetDlgItemTextA(hwnd, kCountId, text);
}

static void CreateControls(HWND hwnd, HINSTANCE instance)
{
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    HWND notice = CreateWindowExA(0, "STATIC", STANDIN_NOTICE, WS_CHILD | WS_VISIBLE,
                                  8, 8, 460, 20, hwnd, (HMENU)kNoticeId, instance, NULL);
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", NULL,
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                                8, 32, 460, 190, hwnd, (HMENU)kListId, instance, NULL);
    HWND count = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 8, 228, 460, 20,
                                 hwnd, (HMENU)kCountId, instance, NULL);
    SendMessageA(notice, WM_SETFONT, (WPARAM)font, FALSE);
    SendMessageA(list, WM_SETFONT, (WPARAM)font, FALSE);
    SendMessageA(count, WM_SETFONT, (WPARAM)font, FALSE);
}

static LRESULT CALLBACK StandInProc(HWND hwnd, UINT message, WPARAM wParam,
                                    LPARAM lParam)
{
    if (message != 0 && message == g_updateMessage) {
        g_count++;
        if (wParam != 0 || lParam != 0)
            g_nonZero++;
        /* sent from Helper's thread, a broadcast arrives as a sent message */
        if (!InSendMessage())
            g_posted++;
        LoadRecords(hwnd);
        ShowCount(hwnd);
        return 0;
    }
    switch (message) {
    case STANDIN_QUERY_COUNT:
        return g_count;
    case STANDIN_QUERY_NONZERO:
        return g_nonZero;
    case STANDIN_QUERY_POSTED:
        return g_posted;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

/* a window for the folder the shell was asked to open, until it is
   ended */
static int ShowOpened(HINSTANCE instance, const char *folder)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = STANDIN_OPENED_CLASS;
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, STANDIN_OPENED_CLASS, folder, WS_OVERLAPPEDWINDOW, 60, 60,
                                400, 200, NULL, NULL, instance, NULL);
    if (hwnd == NULL)
        return 1;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    const char *opened = strstr(commandLine, "--opened ");
    if (opened != NULL)
        return ShowOpened(instance, opened + 9);
    int hang = strstr(commandLine, "--hang") != NULL;
    int hidden = strstr(commandLine, "--hidden") != NULL;
    int noMutex = strstr(commandLine, "--no-mutex") != NULL;

    char module[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, module, sizeof(module));
    if (n == 0 || n >= sizeof(module) || !SplitModuleFolder(module, g_folder, sizeof(g_folder)))
        g_folder[0] = '\0';

    if (strstr(commandLine, "--register") != NULL)
        return RegisterVerb() ? 0 : 1;
    if (strstr(commandLine, "--unregister") != NULL) {
        UnregisterVerb();
        return 0;
    }

    HANDLE mutex = NULL;
    if (!noMutex && !hang)
        mutex = CreateMutexA(NULL, TRUE, QV_GUARD_MUTEX);
    g_updateMessage = RegisterWindowMessageA(QV_UPDATE_MESSAGE);

    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.lpfnWndProc = StandInProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = hang ? STANDIN_HUNG_CLASS : STANDIN_CLASS;
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, STANDIN_TITLE,
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                40, 40, 490, 290, NULL, NULL, instance, NULL);
    if (hwnd == NULL)
        return 1;
    if (hang) {
        /* a top-level window whose thread never looks at its queue again */
        Sleep(INFINITE);
    }
    CreateControls(hwnd, instance);
    LoadRecords(hwnd);
    ShowCount(hwnd);
    if (!hidden)
        ShowWindow(hwnd, SW_SHOWNORMAL);

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (mutex != NULL)
        ReleaseMutex(mutex);
    return 0;
}
