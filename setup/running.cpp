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

/* the identity of the file at a wide path; 0 when it cannot be opened */
static int ReadIdentity(const wchar_t *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int ok = GetFileInformationByHandle(file, info) ? 1 : 0;
    CloseHandle(file);
    return ok;
}

/* the identity of the install folder's program name */
static int ReadProgramIdentity(const char *name, BY_HANDLE_FILE_INFORMATION *info)
{
    char file[MAX_PATH];
    wchar_t path[MAX_PATH];
    return ComposeInstallFile(file, sizeof(file), name) &&
           MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, file, -1, path, MAX_PATH) != 0 &&
           ReadIdentity(path, info);
}

static int IsSameIdentity(const BY_HANDLE_FILE_INFORMATION *a, const BY_HANDLE_FILE_INFORMATION *b)
{
    return a->dwVolumeSerialNumber == b->dwVolumeSerialNumber &&
           a->nFileIndexHigh == b->nFileIndexHigh && a->nFileIndexLow == b->nFileIndexLow;
}

/* 1 when the process runs one of the count program files */
static int RunsProgram(DWORD pid, const BY_HANDLE_FILE_INFORMATION *programs, int count)
{
    wchar_t image[MAX_PATH + 1];
    DWORD size = MAX_PATH + 1;
    BY_HANDLE_FILE_INFORMATION info;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == NULL)
        return 0;
    int runs = 0;
    if (QueryFullProcessImageNameW(process, 0, image, &size) && ReadIdentity(image, &info)) {
        for (int i = 0; i < count && !runs; i++)
            runs = IsSameIdentity(&info, &programs[i]);
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
    BY_HANDLE_FILE_INFORMATION programs[2];
    int count = 0;
    count += ReadProgramIdentity(QV_MAIN_EXE, &programs[count]);
    count += ReadProgramIdentity(QV_HELPER_EXE, &programs[count]);
    if (count == 0)
        return 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof(entry);
    int found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
         more = Process32NextW(snapshot, &entry))
        found = RunsProgram(entry.th32ProcessID, programs, count);
    CloseHandle(snapshot);
    return found;
}
