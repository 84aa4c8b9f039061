/*
 * Whether the product runs (see running.h). Helper holds its mutex from
 * start to end; the main program holds "WinQuorvane", which Setup itself
 * takes for its whole run. Those names are local to a session, and a
 * deployment tool runs Setup in session 0: the programs of the install
 * folder are also looked for among all running processes, by the
 * identity of their program file (volume and file index), which no other
 * spelling of its path (a short name, another drive letter, "\\?\")
 * changes.
 */
#include "running.h"

#include <windows.h>
#include <tlhelp32.h>

#include "paths.h"
#include "../common/names.h"

/* the two mutexes of the run, owned from TakeSetupMutexes to
   ReleaseSetupMutexes */
static HANDLE Mutexes[2];

int TakeSetupMutexes(void)
{
    static const char *const kNames[] = {SETUP_GLOBAL_MUTEX, QV_GUARD_MUTEX};
    /* a second Setup, in this session or another, finds the first and
       stops; so does one beside the main program */
    for (int i = 0; i < 2; i++) {
        SetLastError(0);
        Mutexes[i] = CreateMutexA(NULL, TRUE, kNames[i]);
        if (Mutexes[i] == NULL || GetLastError() != 0)
            return 0;
    }
    HANDLE helper = OpenMutexA(SYNCHRONIZE, FALSE, QV_HELPER_MUTEX);
    if (helper != NULL) {
        CloseHandle(helper);
        return 0;
    }
    return 1;
}

void ReleaseSetupMutexes(void)
{
    for (HANDLE &mutex : Mutexes) {
        if (mutex != NULL) {
            ReleaseMutex(mutex);
            CloseHandle(mutex);
        }
        mutex = NULL;
    }
}

/* the install folder's program name opened for its identity */
static HANDLE OpenProgram(const char *name)
{
    char file[MAX_PATH];
    wchar_t path[MAX_PATH];
    return ComposeInstallFile(file, sizeof(file), name) &&
                   MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, file, -1, path, MAX_PATH) != 0
               ? OpenIdentity(path)
               : INVALID_HANDLE_VALUE;
}

/* 1 when the process runs one of the count program files */
static int RunsProgram(DWORD pid, const HANDLE *programs, int count)
{
    wchar_t image[MAX_PATH + 1];
    DWORD size = MAX_PATH + 1;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == NULL)
        return 0;
    int runs = 0;
    if (QueryFullProcessImageNameW(process, 0, image, &size)) {
        HANDLE file = OpenIdentity(image);
        for (int i = 0; i < count && !runs; i++)
            runs = IsSameFile(file, programs[i]);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    CloseHandle(process);
    return runs;
}

int ProductIsRunning(void)
{
    HANDLE helper = OpenMutexA(SYNCHRONIZE, FALSE, QV_HELPER_MUTEX);
    if (helper != NULL) {
        CloseHandle(helper);
        return 1;
    }
    /* a program file that is not there runs nowhere */
    static const char *const kPrograms[] = {QV_MAIN_EXE, QV_HELPER_EXE};
    HANDLE programs[2];
    int count = 0;
    for (const char *name : kPrograms) {
        HANDLE file = OpenProgram(name);
        if (file != INVALID_HANDLE_VALUE)
            programs[count++] = file;
    }
    int found = 0;
    HANDLE snapshot = count > 0 ? CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)
                                : INVALID_HANDLE_VALUE;
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32W entry;
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
             more = Process32NextW(snapshot, &entry))
            found = RunsProgram(entry.th32ProcessID, programs, count);
        CloseHandle(snapshot);
    }
    while (count > 0)
        CloseHandle(programs[--count]);
    return found;
}
