/*
 * End-to-end test library (see driver.h).
 */
#include "driver.h"

#include <stdio.h>
#include <string.h>

#include "../../common/names.h"
#include "../../common/text.h"

const DWORD kWaitMs = 30000;

std::string BinFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof(path));
    if (n == 0 || n >= sizeof(path))
        return std::string();
    *(char *)LastPathComponent(path) = '\0';
    return path;
}

std::string BinFile(const char *name)
{
    return BinFolder() + name;
}

int StartProgramRaw(Program *program, const std::string &exe,
                    const std::string &commandLine, const char *currentDir)
{
    program->process = NULL;
    program->job = NULL;
    program->pid = 0;

    HANDLE job = CreateJobObjectA(NULL, NULL);
    if (job == NULL)
        return 0;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    ZeroMemory(&limits, sizeof(limits));
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                            sizeof(limits));

    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(exe.c_str(), line.data(), NULL, NULL, FALSE,
                        CREATE_SUSPENDED, NULL, currentDir, &si, &pi)) {
        CloseHandle(job);
        return 0;
    }
    AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    program->process = pi.hProcess;
    program->job = job;
    program->pid = pi.dwProcessId;
    return 1;
}

int StartProgram(Program *program, const std::string &exe,
                 const std::string &arguments, const char *currentDir)
{
    std::string line = "\"" + exe + "\"";
    if (!arguments.empty())
        line += " " + arguments;
    return StartProgramRaw(program, exe, line, currentDir);
}

int IsRunning(const Program *program)
{
    return program->process != NULL &&
           WaitForSingleObject(program->process, 0) == WAIT_TIMEOUT;
}

DWORD WaitForExit(Program *program, DWORD timeoutMs)
{
    if (program->process == NULL)
        return STILL_ACTIVE;
    if (WaitForSingleObject(program->process, timeoutMs) != WAIT_OBJECT_0) {
        EndProgram(program);
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(program->process, &code);
    return code;
}

void EndProgram(Program *program)
{
    if (program->job != NULL) {
        TerminateJobObject(program->job, 0xDEAD);
        /* wait until they are gone: a dying process still holds its
           folders, and the next test wants to delete them */
        DWORD start = GetTickCount();
        while (JobProcessCount(program) > 0 && GetTickCount() - start < 10000)
            Sleep(50);
        CloseHandle(program->job);
    }
    if (program->process != NULL) {
        TerminateProcess(program->process, 0xDEAD);
        WaitForSingleObject(program->process, 5000);
        CloseHandle(program->process);
    }
    program->job = NULL;
    program->process = NULL;
}

int JobProcessCount(const Program *program)
{
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[64];
    } ids;
    ZeroMemory(&ids, sizeof(ids));
    if (program->job == NULL ||
        !QueryInformationJobObject(program->job, JobObjectBasicProcessIdList,
                                   &ids, sizeof(ids), NULL))
        return -1;
    return (int)ids.list.NumberOfProcessIdsInList;
}

struct ChildWindowContext {
    std::vector<DWORD> pids;
    HWND found;
};

static BOOL CALLBACK FindChildWindowProc(HWND hwnd, LPARAM lParam)
{
    ChildWindowContext *context = (ChildWindowContext *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    for (DWORD candidate : context->pids) {
        if (candidate == pid && IsWindowVisible(hwnd)) {
            context->found = hwnd;
            return FALSE;
        }
    }
    return TRUE;
}

HWND WaitForChildWindow(const Program *program, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        struct {
            JOBOBJECT_BASIC_PROCESS_ID_LIST list;
            ULONG_PTR more[64];
        } ids;
        ZeroMemory(&ids, sizeof(ids));
        ChildWindowContext context;
        context.found = NULL;
        if (program->job != NULL &&
            QueryInformationJobObject(program->job, JobObjectBasicProcessIdList, &ids,
                                      sizeof(ids), NULL)) {
            for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList && i < 65; i++) {
                DWORD pid = (DWORD)ids.list.ProcessIdList[i];
                if (pid != program->pid)
                    context.pids.push_back(pid);
            }
        }
        if (!context.pids.empty())
            EnumWindows(FindChildWindowProc, (LPARAM)&context);
        if (context.found != NULL || GetTickCount() - start > timeoutMs)
            return context.found;
        Sleep(100);
    }
}

struct FindContext {
    DWORD pid;
    int controlId;
    const char *className;
    const char *caption;
    HWND found;
};

static BOOL CALLBACK FindProc(HWND hwnd, LPARAM lParam)
{
    FindContext *context = (FindContext *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (context->pid != 0 && pid != context->pid)
        return TRUE;
    if (!IsWindowVisible(hwnd))
        return TRUE;
    char className[64];
    GetClassNameA(hwnd, className, sizeof(className));
    if (strcmp(className, context->className) != 0)
        return TRUE;
    if (context->controlId != 0 && GetDlgItem(hwnd, context->controlId) == NULL)
        return TRUE;
    if (context->caption != NULL && WindowText(hwnd) != context->caption)
        return TRUE;
    context->found = hwnd;
    return FALSE;
}

static HWND WaitForTopLevel(DWORD pid, int controlId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        FindContext context = {pid, controlId, "#32770", NULL, NULL};
        EnumWindows(FindProc, (LPARAM)&context);
        if (context.found != NULL) {
            /* let the dialog finish its initialisation */
            SendMessageTimeoutA(context.found, WM_NULL, 0, 0, SMTO_BLOCK,
                                5000, NULL);
            return context.found;
        }
        if (GetTickCount() - start > timeoutMs)
            return NULL;
        Sleep(50);
    }
}

HWND WaitForDialog(const Program *program, int controlId, DWORD timeoutMs)
{
    return WaitForTopLevel(program->pid, controlId, timeoutMs);
}

HWND WaitForMessageBox(const Program *program, DWORD timeoutMs)
{
    return WaitForTopLevel(program->pid, 0xFFFF, timeoutMs);
}

int WaitForWindowGone(HWND hwnd, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if (GetTickCount() - start > timeoutMs)
            return 0;
        Sleep(50);
    }
    return 1;
}

HWND FindTopLevel(const char *className, const char *caption)
{
    FindContext context = {0, 0, className, caption, NULL};
    EnumWindows(FindProc, (LPARAM)&context);
    return context.found;
}

std::string WindowText(HWND hwnd)
{
    char text[4096];
    DWORD_PTR length = 0;
    text[0] = '\0';
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof(text), (LPARAM)text,
                             SMTO_BLOCK, 5000, &length))
        return std::string("<no answer>");
    return std::string(text, strnlen(text, sizeof(text)));
}

std::string ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (control == NULL)
        return std::string("<no control>");
    return WindowText(control);
}

void SetControlText(HWND dialog, int id, const std::string &text)
{
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0,
                        (LPARAM)text.c_str(), SMTO_BLOCK, 5000, NULL);
}

int IsControlVisible(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control != NULL &&
           (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

RECT ControlRect(HWND dialog, int id)
{
    RECT rect = {0, 0, 0, 0};
    HWND control = GetDlgItem(dialog, id);
    if (control == NULL)
        return rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(NULL, dialog, (POINT *)&rect, 2);
    return rect;
}

void PressButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog, id));
}

void PressEscape(HWND dialog)
{
    /* what the dialog manager makes of Esc */
    PostMessageA(dialog, WM_COMMAND, IDCANCEL,
                 (LPARAM)GetDlgItem(dialog, IDCANCEL));
}

void PressClose(HWND dialog)
{
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void PressKey(HWND dialog, int id, UINT virtualKey)
{
    HWND control = GetDlgItem(dialog, id);
    UINT scan = MapVirtualKeyA(virtualKey, 0);
    PostMessageA(control, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(control, WM_KEYUP, virtualKey,
                 1 | (scan << 16) | 0xC0000000u);
}

int EditSelection(HWND dialog, int id, DWORD *start, DWORD *end)
{
    DWORD_PTR result = 0;
    HWND control = GetDlgItem(dialog, id);
    if (control == NULL ||
        !SendMessageTimeoutA(control, EM_GETSEL, 0, 0, SMTO_BLOCK, 5000,
                             &result))
        return 0;
    *start = LOWORD(result);
    *end = HIWORD(result);
    return 1;
}

const char *IconName(BoxIcon icon)
{
    switch (icon) {
    case IconNone: return "none";
    case IconError: return "error";
    case IconQuestion: return "question";
    case IconWarning: return "warning";
    case IconInformation: return "information";
    default: return "unknown";
    }
}

/* 32-bit pixels of a screen rectangle */
static std::vector<DWORD> CapturePixels(HDC source, int x, int y, int w, int h)
{
    std::vector<DWORD> pixels((size_t)w * h);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, source, x, y, SRCCOPY);
    GdiFlush();
    memcpy(pixels.data(), bits, pixels.size() * 4);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

static std::vector<DWORD> RenderIcon(LPCSTR id, DWORD background, int w, int h)
{
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof(info));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    for (int i = 0; i < w * h; i++)
        ((DWORD *)bits)[i] = background;
    DrawIcon(memory, 0, 0, LoadIconA(NULL, id));
    GdiFlush();
    std::vector<DWORD> pixels((DWORD *)bits, (DWORD *)bits + w * h);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return pixels;
}

static long long PixelDistance(const std::vector<DWORD> &a, const std::vector<DWORD> &b)
{
    long long sum = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); i++) {
        for (int shift = 0; shift < 24; shift += 8) {
            int x = (int)((a[i] >> shift) & 0xFF), y = (int)((b[i] >> shift) & 0xFF);
            sum += x > y ? x - y : y - x;
        }
    }
    return sum;
}

/* The box's icon, told apart by its pixels: the icon handle belongs to the
   box's process and cannot be compared from here. */
static BoxIcon DetectIcon(HWND box)
{
    HWND icon = GetDlgItem(box, 1088); /* Wine's message box template */
    if (icon == NULL)
        icon = GetDlgItem(box, 20); /* Windows' */
    if (icon == NULL || !(GetWindowLongA(icon, GWL_STYLE) & WS_VISIBLE))
        return IconNone;

    static const LPCSTR kIds[] = {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION,
                                  IDI_ASTERISK};
    static const BoxIcon kIcons[] = {IconError, IconQuestion, IconWarning,
                                     IconInformation};
    int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
    BoxIcon best = IconUnknown;
    for (int attempt = 0; attempt < 40 && best == IconUnknown; attempt++) {
        RECT rect;
        GetWindowRect(icon, &rect);
        HDC screen = GetDC(NULL);
        std::vector<DWORD> shot = CapturePixels(screen, rect.left, rect.top, w, h);
        ReleaseDC(NULL, screen);
        long long bestDistance = -1, second = -1;
        BoxIcon candidate = IconUnknown;
        for (int i = 0; i < 4; i++) {
            long long d = PixelDistance(shot, RenderIcon(kIds[i], shot[0], w, h));
            if (bestDistance < 0 || d < bestDistance) {
                second = bestDistance;
                bestDistance = d;
                candidate = kIcons[i];
            } else if (second < 0 || d < second) {
                second = d;
            }
        }
        /* a clear match: close to one icon, far from the others */
        if (bestDistance * 4 < second && bestDistance < (long long)w * h * 3 * 8)
            best = candidate;
        else
            Sleep(100);
    }
    return best;
}

MessageBoxInfo ReadMessageBox(HWND box)
{
    MessageBoxInfo info;
    info.caption = WindowText(box);
    info.text = ControlText(box, 0xFFFF);
    info.hasOk = GetDlgItem(box, IDOK) != NULL && IsControlVisible(box, IDOK);
    info.hasCancel = GetDlgItem(box, IDCANCEL) != NULL && IsControlVisible(box, IDCANCEL);
    info.hasYes = GetDlgItem(box, IDYES) != NULL && IsControlVisible(box, IDYES);
    info.hasNo = GetDlgItem(box, IDNO) != NULL && IsControlVisible(box, IDNO);
    info.icon = DetectIcon(box);
    return info;
}

/* registry */

static void DeleteKeyTree(HKEY root, const char *key)
{
    RegDeleteTreeA(root, key);
    RegDeleteKeyA(root, key);
}

void ResetProductRegistry()
{
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Veskaro");
    DeleteKeyTree(HKEY_LOCAL_MACHINE,
                  "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veskaro Quorvane");
    DeleteKeyTree(HKEY_CLASSES_ROOT, "*\\shell\\" QV_VERB_NAME);
    DeleteKeyTree(HKEY_CLASSES_ROOT, "Directory\\shell\\" QV_VERB_NAME);
    DeleteKeyTree(HKEY_CLASSES_ROOT, "Drive\\shell\\" QV_VERB_NAME);
}

int ReadRaw(HKEY root, const char *key, const char *name, std::string *data,
            DWORD *type)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return 0;
    DWORD size = 0, t = 0;
    LONG status = RegQueryValueExA(handle, name, NULL, &t, NULL, &size);
    if (status == ERROR_SUCCESS) {
        std::vector<char> buffer(size + 1);
        status = RegQueryValueExA(handle, name, NULL, &t, (BYTE *)buffer.data(), &size);
        if (status == ERROR_SUCCESS) {
            data->assign(buffer.data(), size);
            if (type != NULL)
                *type = t;
        }
    }
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

int ReadDword(HKEY root, const char *key, const char *name, DWORD *value,
              DWORD *type)
{
    std::string data;
    DWORD t = 0;
    if (!ReadRaw(root, key, name, &data, &t) || data.size() != 4)
        return 0;
    memcpy(value, data.data(), 4);
    if (type != NULL)
        *type = t;
    return 1;
}

int ReadString(HKEY root, const char *key, const char *name, std::string *value)
{
    std::string data;
    DWORD t = 0;
    if (!ReadRaw(root, key, name, &data, &t) || t != REG_SZ)
        return 0;
    *value = data;
    return 1;
}

int KeyExists(HKEY root, const char *key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(handle);
    return 1;
}

int ValueNames(HKEY root, const char *key, std::vector<std::string> *names)
{
    HKEY handle;
    names->clear();
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return 0;
    for (DWORD i = 0;; i++) {
        char name[512];
        DWORD size = sizeof(name);
        if (RegEnumValueA(handle, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names->push_back(name);
    }
    RegCloseKey(handle);
    return 1;
}

int CreateKey(HKEY root, const char *key)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &handle,
                        NULL) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(handle);
    return 1;
}

int WriteValue(HKEY root, const char *key, const char *name, DWORD type,
               const void *data, DWORD size)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &handle,
                        NULL) != ERROR_SUCCESS)
        return 0;
    LONG status = RegSetValueExA(handle, name, 0, type, (const BYTE *)data, size);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

int WriteDword(HKEY root, const char *key, const char *name, DWORD value)
{
    return WriteValue(root, key, name, REG_DWORD, &value, 4);
}

int WriteString(HKEY root, const char *key, const char *name,
                const std::string &text)
{
    return WriteValue(root, key, name, REG_SZ, text.c_str(), (DWORD)text.size() + 1);
}

/* files */

int ReadFileBytes(const std::string &path, std::string *data)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    data->clear();
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &n, NULL) && n > 0)
        data->append(buffer, n);
    CloseHandle(file);
    return 1;
}

int WriteFileBytes(const std::string &path, const std::string &data)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    BOOL ok = WriteFile(file, data.data(), (DWORD)data.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == data.size();
}

int FileExists(const std::string &path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

int FolderExists(const std::string &path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

/* the path without its trailing backslash; the last byte of 表 is 0x5C
   too, so this goes by character */
static std::string WithoutBackslash(const std::string &path)
{
    std::string base = path;
    if (EndsWithBackslash(base.c_str()))
        base.erase(base.size() - 1);
    return base;
}

void DeleteTree(const std::string &path)
{
    std::string base = WithoutBackslash(path);
    DWORD a = GetFileAttributesA(base.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(base.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(base.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(found.cFileName, ".") == 0 || strcmp(found.cFileName, "..") == 0)
                continue;
            DeleteTree(base + "\\" + found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(base.c_str());
}

int MakeFreshFolder(const std::string &path)
{
    DeleteTree(path);
    for (const char *p = FindBackslash(path.c_str()); p != NULL; p = FindBackslash(p + 1))
        CreateDirectoryA(std::string(path.c_str(), p + 1).c_str(), NULL);
    CreateDirectoryA(path.c_str(), NULL);
    return FolderExists(path);
}

std::vector<std::string> FolderEntries(const std::string &folder)
{
    std::vector<std::string> names;
    std::string base = WithoutBackslash(folder) + "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

std::string TestRoot()
{
    return "C:\\qvtest\\";
}

static const char *const kMediaNames[] = {
    "Quorvane.ex_", "Quorvane.hl_", "Quorvane.cn_", "Readme.txt", "Setup.exe", "Helper.ex_",
};

const char *MediaName(int file)
{
    return kMediaNames[file];
}

std::string MediaContent(const char *name)
{
    /* distinct bytes per file, with the bytes a text copy would spoil */
    std::string content = std::string("stand-in ") + name + "\r\n";
    content += std::string("\0\x1a\r\n\xff\x81\x5c", 8);
    for (int i = 0; i < 300; i++)
        content += (char)(i * 7 + (int)strlen(name));
    return content;
}

int BuildMedia(const std::string &folder, unsigned omit)
{
    if (!MakeFreshFolder(folder))
        return 0;
    std::string base = WithoutBackslash(folder) + "\\";
    for (int i = 0; i < MediaFileCount; i++) {
        if (omit & (1u << i))
            continue;
        std::string target = base + kMediaNames[i];
        if (i == MediaSetup) {
            if (!CopyFileA(BinFile("Setup.exe").c_str(), target.c_str(), FALSE))
                return 0;
        } else if (i == MediaHelper && FileExists(BinFile("Helper.exe"))) {
            if (!CopyFileA(BinFile("Helper.exe").c_str(), target.c_str(), FALSE))
                return 0;
        } else if (!WriteFileBytes(target, MediaContent(kMediaNames[i]))) {
            return 0;
        }
    }
    return 1;
}

/* the stand-in main program */

#define STANDIN_CLASS "QuorvaneStandIn"
#define STANDIN_QUERY_COUNT (WM_APP + 1)
#define STANDIN_QUERY_NONZERO (WM_APP + 2)

int StartStandIn(Program *program, const char *arguments)
{
    /* out of sight: its window would cover the boxes the tests read */
    std::string line = std::string("--hidden ") + arguments;
    if (!StartProgram(program, BinFile("QuorvaneStandIn.exe"), line, NULL))
        return 0;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kWaitMs) {
        HWND hwnd = FindWindowA(STANDIN_CLASS, NULL);
        if (hwnd != NULL) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == program->pid)
                return 1;
        }
        if (!IsRunning(program))
            return 0;
        Sleep(50);
    }
    return 0;
}

HWND StandInWindow()
{
    return FindWindowA(STANDIN_CLASS, NULL);
}

int ReadBroadcasts(BroadcastCount *result)
{
    HWND hwnd = StandInWindow();
    DWORD_PTR count = 0, nonZero = 0;
    if (hwnd == NULL ||
        !SendMessageTimeoutA(hwnd, STANDIN_QUERY_COUNT, 0, 0, SMTO_BLOCK, 5000, &count) ||
        !SendMessageTimeoutA(hwnd, STANDIN_QUERY_NONZERO, 0, 0, SMTO_BLOCK, 5000, &nonZero))
        return 0;
    result->count = (int)count;
    result->nonZeroParams = (int)nonZero;
    return 1;
}

void SaveShot(HWND hwnd, const char *name)
{
    char folder[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("QV_SHOTS", folder, sizeof(folder));
    if (n == 0 || n >= sizeof(folder) || hwnd == NULL)
        return;
    CreateDirectoryA(folder, NULL);
    RECT rect;
    GetWindowRect(hwnd, &rect);
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0)
        return;
    /* have it paint everything again, then take it once its pixels have
       stopped changing for a while: under emulation painting is slow */
    RedrawWindow(hwnd, NULL, NULL,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, 5000, NULL);
    Sleep(800);
    std::vector<DWORD> pixels, previous;
    int unchanged = 0;
    for (int attempt = 0; attempt < 30 && unchanged < 2; attempt++) {
        Sleep(400);
        HDC screen = GetDC(NULL);
        pixels = CapturePixels(screen, rect.left, rect.top, w, h);
        ReleaseDC(NULL, screen);
        unchanged = pixels == previous ? unchanged + 1 : 0;
        previous = pixels;
    }

    /* opaque: a 32-bit bitmap's fourth byte would read as transparency */
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] |= 0xFF000000;

    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    ZeroMemory(&file, sizeof(file));
    ZeroMemory(&info, sizeof(info));
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = -h;
    info.biPlanes = 1;
    info.biBitCount = 32;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + (DWORD)pixels.size() * 4;
    std::string data((const char *)&file, sizeof(file));
    data.append((const char *)&info, sizeof(info));
    data.append((const char *)pixels.data(), pixels.size() * 4);
    WriteFileBytes(std::string(folder) + "\\" + name + ".bmp", data);
}

int InkHeight(HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0)
        return 0;
    std::vector<DWORD> pixels, previous;
    for (int attempt = 0; attempt < 20; attempt++) {
        HDC screen = GetDC(NULL);
        pixels = CapturePixels(screen, rect.left, rect.top, w, h);
        ReleaseDC(NULL, screen);
        if (pixels == previous)
            break;
        previous = pixels;
        Sleep(200);
    }
    DWORD background = pixels[0] & 0xFFFFFF;
    int first = -1, last = -1;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            if ((pixels[(size_t)y * w + x] & 0xFFFFFF) != background) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
        }
    }
    return first < 0 ? 0 : last - first + 1;
}
