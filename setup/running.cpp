/*
 * Whether the product runs beside Setup, which would replace or delete
 * its programs under it. Helper holds its mutex from start to end; the
 * main program holds "WinQuorvane", which Setup itself takes for its
 * whole run (main.cpp). Both names are local to a session, and a
 * deployment tool runs Setup in session 0: the programs of the install
 * folder are also looked for among all running processes, by the path
 * of their program file.
 */
#include "setup.h"

#include <tlhelp32.h>

#include "texts.h"

int HelperIsRunning(void)
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, QV_HELPER_MUTEX);
    if (mutex == NULL)
        return 0;
    CloseHandle(mutex);
    return 1;
}

/* folder + name as a wide path, in path (MAX_PATH wide characters) */
static int WideInstallFile(const char *name, wchar_t *path)
{
    char file[MAX_PATH];
    return ComposeInstallFile(file, sizeof(file), name) &&
           MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, file, -1, path, MAX_PATH) != 0;
}

/* 1 when the process runs one of the two program files */
static int RunsProgram(DWORD pid, const wchar_t *main, const wchar_t *helper)
{
    wchar_t image[MAX_PATH + 1];
    DWORD size = MAX_PATH + 1;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == NULL)
        return 0;
    int runs = QueryFullProcessImageNameW(process, 0, image, &size) &&
               (lstrcmpiW(image, main) == 0 || lstrcmpiW(image, helper) == 0);
    CloseHandle(process);
    return runs;
}

int ProductProgramIsRunning(void)
{
    wchar_t main[MAX_PATH], helper[MAX_PATH];
    if (!WideInstallFile(QV_MAIN_EXE, main) || !WideInstallFile(QV_HELPER_EXE, helper))
        return 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    int found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
         more = Process32NextW(snapshot, &entry))
        found = RunsProgram(entry.th32ProcessID, main, helper);
    CloseHandle(snapshot);
    return found;
}

void EndIfProductRuns(HWND owner)
{
    if (!HelperIsRunning() && !ProductProgramIsRunning())
        return;
    SetupBox(owner, SETUP_RUNNING_TEXT, MB_ICONERROR);
    ExitRun(RunBusy);
}
