/*
 * Programs a test starts: each in a job object that ends it, and what it
 * started, when the test lets go of it (see process.h).
 */
#include "process.h"

#include <vector>

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

/* a job that ends its processes when its last handle closes */
static HANDLE CreateKillingJob()
{
    HANDLE job = CreateJobObjectA(NULL, NULL);
    if (job == NULL)
        return NULL;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    ZeroMemory(&limits, sizeof(limits));
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                            sizeof(limits));
    return job;
}

/* the suspended process into its job, then running */
static int Adopt(Program *program, HANDLE job, const PROCESS_INFORMATION &pi)
{
    AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    program->process = pi.hProcess;
    program->job = job;
    program->pid = pi.dwProcessId;
    return 1;
}

int StartProgramRaw(Program *program, const std::string &exe,
                    const std::string &commandLine, const char *currentDir)
{
    EndProgram(program);
    HANDLE job = CreateKillingJob();
    if (job == NULL)
        return 0;
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
    return Adopt(program, job, pi);
}

int StartProgramWide(Program *program, const std::wstring &exe,
                     const std::wstring &commandLine, const char *currentDir)
{
    EndProgram(program);
    HANDLE job = CreateKillingJob();
    if (job == NULL)
        return 0;
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    wchar_t dir[MAX_PATH];
    if (currentDir != NULL && !MultiByteToWideChar(CP_ACP, 0, currentDir, -1, dir, MAX_PATH)) {
        CloseHandle(job);
        return 0;
    }
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(exe.c_str(), line.data(), NULL, NULL, FALSE, CREATE_SUSPENDED,
                        NULL, currentDir != NULL ? dir : NULL, &si, &pi)) {
        CloseHandle(job);
        return 0;
    }
    return Adopt(program, job, pi);
}

int StartProgram(Program *program, const std::string &exe,
                 const std::string &arguments, const char *currentDir)
{
    std::string line = "\"" + exe + "\"";
    if (!arguments.empty())
        line += " " + arguments;
    return StartProgramRaw(program, exe, line, currentDir);
}

int RestartWine()
{
    Program wineboot;
    char system[MAX_PATH];
    UINT n = GetSystemDirectoryA(system, MAX_PATH);
    const std::string exe = std::string(system, n < MAX_PATH ? n : 0) + "\\wineboot.exe";
    return StartProgramRaw(&wineboot, exe, "wineboot.exe -r", NULL) && WaitForExit(&wineboot) == 0;
}

int IsRunning(const Program *program)
{
    return program->process != NULL &&
           WaitForSingleObject(program->process, 0) == WAIT_TIMEOUT;
}

::testing::AssertionResult EndedWith(DWORD code, DWORD expected)
{
    if (code == expected)
        return ::testing::AssertionSuccess();
    /* as signed numbers: -1 reads better than 4294967295 */
    return ::testing::AssertionFailure() << "exit code " << (long)(int)code << ", expected "
                                         << (long)(int)expected;
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
    program->pid = 0;
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

int JobEmpties(const Program *program, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (JobProcessCount(program) != 0) {
        if (GetTickCount() - start > timeoutMs)
            return 0;
        Sleep(20);
    }
    return 1;
}

std::string JobProcessNames(const Program *program)
{
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[64];
    } ids;
    ZeroMemory(&ids, sizeof(ids));
    std::string names;
    if (program->job == NULL ||
        !QueryInformationJobObject(program->job, JobObjectBasicProcessIdList, &ids, sizeof(ids),
                                   NULL))
        return names;
    for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList && i < 65; i++) {
        char image[MAX_PATH] = "?";
        DWORD size = sizeof(image);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                     (DWORD)ids.list.ProcessIdList[i]);
        if (process != NULL) {
            QueryFullProcessImageNameA(process, 0, image, &size);
            CloseHandle(process);
        }
        names += std::string(names.empty() ? "" : ", ") + image;
    }
    return names;
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
