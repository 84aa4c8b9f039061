/*
 * Whether the product runs (see running.h). Helper holds its mutex from
 * start to end; the main program holds "WinQuorvane", which Setup itself
 * takes for its whole run. Those names are local to a session, and a
 * deployment tool runs Setup in session 0, where they are global names
 * that any user may create and that neither program ever holds: there
 * Setup asks for neither. In every session the programs of the install
 * folder are also looked for among all running processes, by the
 * identity of their program file (volume and file index), which no other
 * spelling of its path (a short name, another drive letter, "\\?\")
 * changes. Setup's own lock lives in a namespace only administrators can
 * make.
 */
#include "running.h"

#include <string.h>
#include <windows.h>
#include <sddl.h>
#include <tlhelp32.h>

#include "paths.h"
#include "setup.h"
#include "systemdll.h"
#include "../common/names.h"

/* the lock and the guard mutex, owned from TakeSetupMutexes to
   ReleaseSetupMutexes */
static HANDLE Mutexes[2];
/* the lock's namespace, kept open until Setup ends: while it is, another
   Setup opens it and finds the lock there; the process's end closes it */
static HANDLE Namespace;

/* the lock's namespace, created, or opened where another Setup created
   it; 1 when open */
static int OpenLockNamespace(const struct NamespaceCalls *calls)
{
    /* who may open it: SYSTEM and Administrators, whoever made it */
    static const char kSecurity[] = "D:P(A;;GA;;;SY)(A;;GA;;;BA)";
    /* Administrators (S-1-5-32-544), the only group within the boundary */
    static const struct {
        BYTE revision, count;
        SID_IDENTIFIER_AUTHORITY authority;
        DWORD subAuthorities[2];
    } kAdministrators = {SID_REVISION, 2, {SECURITY_NT_AUTHORITY},
                         {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}};
    PSECURITY_DESCRIPTOR descriptor = NULL;
    HANDLE space = NULL;
    HANDLE boundary = calls->createBoundary(L"" SETUP_NAMESPACE, 0);
    if (boundary == NULL)
        return 0;
    if (calls->addSid(&boundary, (PSID)&kAdministrators) &&
        ConvertStringSecurityDescriptorToSecurityDescriptorA(kSecurity, SDDL_REVISION_1,
                                                             &descriptor, NULL)) {
        SECURITY_ATTRIBUTES security = {sizeof(security), descriptor, FALSE};
        space = calls->createNamespace(&security, boundary, L"" SETUP_NAMESPACE);
        if (space == NULL && GetLastError() == ERROR_ALREADY_EXISTS)
            space = calls->openNamespace(boundary, L"" SETUP_NAMESPACE);
        LocalFree(descriptor);
    }
    calls->deleteBoundary(boundary);
    Namespace = space;
    return space != NULL;
}

/* the named mutex, new and owned, in slot; 0 when it already exists */
static int TakeMutex(HANDLE *slot, const char *name)
{
    SetLastError(0);
    *slot = CreateMutexA(NULL, TRUE, name);
    return *slot != NULL && GetLastError() == 0;
}

int TakeSetupLock(const struct NamespaceCalls *calls)
{
    /* a namespace Setup can neither create nor open may hold another
       Setup's lock, and two runs at once would undo each other's files:
       no run. What keeps it out is a token without Administrators, which
       Setup's manifest asks for and LocalSystem's holds; such a Setup
       could not change the machine anyway */
    if (calls != NULL && !OpenLockNamespace(calls))
        return 0;
    return TakeMutex(&Mutexes[0], calls != NULL ? SETUP_LOCK_MUTEX : SETUP_GLOBAL_MUTEX);
}

/* 1 while a Helper of this session runs; none runs in session 0 */
static int HelperRuns(void)
{
    HANDLE helper = SetupSession != 0 ? OpenMutexA(SYNCHRONIZE, FALSE, QV_HELPER_MUTEX) : NULL;
    if (helper != NULL)
        CloseHandle(helper);
    return helper != NULL;
}

int TakeSetupMutexes(void)
{
    /* kernel32's names of the members of NamespaceCalls, in their order;
       each is loaded untyped and the whole set then takes their types */
    static const char kCalls[] = "CreateBoundaryDescriptorW\0AddSIDToBoundaryDescriptor\0"
                                 "CreatePrivateNamespaceW\0OpenPrivateNamespaceW\0"
                                 "DeleteBoundaryDescriptor";
    FARPROC loaded[sizeof(struct NamespaceCalls) / sizeof(FARPROC)];
    struct NamespaceCalls calls;
    const struct NamespaceCalls *offered = &calls;
    const char *name = kCalls;
    for (FARPROC &call : loaded) {
        call = LoadSystemProc("kernel32.dll", name);
        if (call == NULL)
            offered = NULL;
        name += strlen(name) + 1;
    }
    memcpy(&calls, loaded, sizeof(calls));
    /* a second Setup, in this session or another, finds the first and
       stops; so does one beside the main program */
    if (!TakeSetupLock(offered))
        return 0;
    if (SetupSession != 0 && !TakeMutex(&Mutexes[1], QV_GUARD_MUTEX))
        return 0;
    return !HelperRuns();
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
    if (HelperRuns())
        return 1;
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
