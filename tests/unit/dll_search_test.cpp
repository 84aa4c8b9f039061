/*
 * After RestrictDllSearchPath a DLL planted in the current directory or
 * beside the program is no longer loaded by its bare name; system DLLs
 * still are. It changes the whole process, so it has a program of its own.
 * And both programs restrict their own search before they show anything:
 * a DLL planted beside them is not found by its bare name from inside
 * them once their window is up; Setup also never lets Windows show its
 * own error boxes.
 */
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "common/dllsearch.h"
#include "common/names.h"
#include "helper/resource.h"
#include "setup/resource.h"
#include "tests/support/support.h"

namespace {

TEST(DllSearch, PlantedDllsAreIgnoredAfterTheRestriction)
{
    std::string folder = TestRoot() + "download\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    std::string planted = BinFile("qv_planted.dll");
    ASSERT_TRUE(CopyFileA(planted.c_str(), (folder + "qvcwd.dll").c_str(), FALSE));
    std::string besideProgram = BinFile("qvbeside.dll");
    ASSERT_TRUE(CopyFileA(planted.c_str(), besideProgram.c_str(), FALSE));
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));

    /* without the restriction both are found */
    HMODULE module = LoadLibraryA("qvcwd.dll");
    EXPECT_NE(nullptr, module) << "the current directory is searched by default";
    if (module != NULL)
        FreeLibrary(module);
    module = LoadLibraryA("qvbeside.dll");
    EXPECT_NE(nullptr, module) << "the program's folder is searched by default";
    if (module != NULL)
        FreeLibrary(module);

    RestrictDllSearchPath();

    EXPECT_EQ(nullptr, LoadLibraryA("qvcwd.dll"));
    EXPECT_EQ(nullptr, LoadLibraryA("qvbeside.dll"));
    HMODULE system = LoadLibraryA("version.dll");
    EXPECT_NE(nullptr, system) << "system DLLs still load";
    if (system != NULL)
        FreeLibrary(system);

    SetCurrentDirectoryA(BinFolder().c_str());
    DeleteFileA(besideProgram.c_str());
    DeleteTree(TestRoot());
}

/* A call of a routine of kernel32 (which sits at the same address in
   every process) on a thread of the program, with text as its argument.
   It is made from a thread of this program, so that a step that never
   comes back (see RemoteCallsWork) leaves the test free to go on; that
   thread then keeps the call, and its own handle of the program. */
struct RemoteCall {
    HANDLE process;
    const char *routine;
    std::string text;
    const char *volatile step; /* the step under way */
    DWORD result;
};

DWORD WINAPI MakeRemoteCall(LPVOID param)
{
    RemoteCall *call = (RemoteCall *)param;
    call->step = "VirtualAllocEx";
    void *argument = VirtualAllocEx(call->process, NULL, call->text.size() + 1, MEM_COMMIT,
                                    PAGE_READWRITE);
    call->step = "WriteProcessMemory";
    if (argument == NULL || !WriteProcessMemory(call->process, argument, call->text.c_str(),
                                                call->text.size() + 1, NULL))
        return 0;
    LPTHREAD_START_ROUTINE start = (LPTHREAD_START_ROUTINE)(void (*)(void))GetProcAddress(
        GetModuleHandleA("kernel32.dll"), call->routine);
    call->step = "CreateRemoteThread";
    HANDLE thread = CreateRemoteThread(call->process, NULL, 0, start, argument, 0, NULL);
    if (thread != NULL) {
        call->step = "the end of the remote thread";
        if (WaitForSingleObject(thread, kWaitMs) == WAIT_OBJECT_0)
            GetExitCodeThread(thread, &call->result);
        CloseHandle(thread);
    }
    call->step = "VirtualFreeEx";
    VirtualFreeEx(call->process, argument, 0, MEM_RELEASE);
    return 0;
}

/* routine(text) inside the program: 1 with what it returned (0 when the
   call could not be made), or 0 with the step that had not come back by
   the deadline (ms) */
int CallInside(const Program *program, const char *routine, const std::string &text,
               DWORD *result, std::string *stuck = NULL, DWORD deadline = kWaitMs * 2)
{
    *result = 0;
    RemoteCall *call = new RemoteCall{NULL, routine, text, "the start of the caller", 0};
    HANDLE caller = NULL;
    if (DuplicateHandle(GetCurrentProcess(), program->process, GetCurrentProcess(),
                        &call->process, 0, FALSE, DUPLICATE_SAME_ACCESS))
        caller = CreateThread(NULL, 0, MakeRemoteCall, call, 0, NULL);
    if (caller == NULL) {
        if (call->process != NULL)
            CloseHandle(call->process);
        delete call;
        return 1;
    }
    DWORD waited = WaitForSingleObject(caller, deadline);
    CloseHandle(caller);
    if (waited != WAIT_OBJECT_0) {
        if (stuck != NULL)
            *stuck = call->step;
        return 0; /* the call stays with its thread */
    }
    *result = call->result;
    CloseHandle(call->process);
    delete call;
    return 1;
}

/* LoadLibraryA(dll) inside the program: the module, or 0 when the
   program's search does not find it */
DWORD LoadInside(const Program *program, const std::string &dll)
{
    DWORD module = 0;
    CallInside(program, "LoadLibraryA", dll, &module);
    return module;
}

/* Where Wine's 32-bit half runs under qemu-user (a kernel without 32-bit
   support), remote threads cannot be relied on: a remote thread's exit
   code is often not what its routine returned, and a later remote call
   into the same program may wait for ever in VirtualAllocEx,
   CreateRemoteThread or VirtualFreeEx. The checks built on CallInside
   stand only where a Setup started for this answers three remote
   GetCurrentProcessId calls in a row with its own id. The answer is the
   machine's, so it is found once per run. */
::testing::AssertionResult RemoteCallsWork()
{
    static int known; /* 1: they work, -1: they do not */
    static std::string why;
    if (known == 0) {
        Program probe;
        /* a Setup that does not come up says nothing of remote calls: the
           checks then run, and meet it themselves */
        if (!StartProgram(&probe, BinFile(QV_SETUP_EXE), "", BinFolder().c_str()) ||
            WaitForDialog(&probe, IDC_PRODUCT_TITLE) == NULL)
            return ::testing::AssertionSuccess();
        known = -1;
        static const char *const kWhich[] = {"first", "second", "third"};
        for (const char *which : kWhich) {
            DWORD pid = 0;
            std::string stuck;
            std::string call = std::string("the ") + which +
                               " of three remote GetCurrentProcessId calls into a Setup";
            /* where remote calls work, one comes back at once, also under
               load: a probe that waits longer only costs the run time */
            if (!CallInside(&probe, "GetCurrentProcessId", "", &pid, &stuck, 5000)) {
                why = call + " did not come back (" + stuck + ")";
                break;
            }
            if (pid != probe.pid) {
                why = call + " gave " + std::to_string(pid) + ", not its id " +
                      std::to_string(probe.pid);
                break;
            }
        }
        if (why.empty())
            known = 1;
    }
    if (known == 1)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << why << ": remote calls do not work here (as under Wine on qemu-user), so "
           << "what a program returns to one cannot be checked";
}

TEST(DllSearch, BothProgramsRestrictTheirOwnSearch)
{
    ::testing::AssertionResult remote = RemoteCallsWork();
    if (!remote)
        GTEST_SKIP() << remote.message();
    std::string folder = TestRoot() + "download\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    ASSERT_TRUE(CopyFileA(BinFile("qv_planted.dll").c_str(), (folder + "qvplanted.dll").c_str(),
                          FALSE));
    struct Row {
        const char *exe, *arguments;
        int control;
    } programs[] = {
        {QV_SETUP_EXE, "", IDC_PRODUCT_TITLE},
        {QV_HELPER_EXE, "C:\\Data\\memo.txt", IDC_KEYWORD_EDIT},
    };
    for (const Row &row : programs) {
        SCOPED_TRACE(row.exe);
        ASSERT_TRUE(CopyFileA(BinFile(row.exe).c_str(), (folder + row.exe).c_str(), FALSE));
        Program program;
        ASSERT_TRUE(StartProgram(&program, folder + row.exe, row.arguments, folder.c_str()));
        ASSERT_NE(nullptr, WaitForDialog(&program, row.control));
        EXPECT_EQ(0u, LoadInside(&program, "qvplanted.dll")) << "a planted DLL was loaded";
        /* the same DLL by its whole path: the remote load itself works */
        EXPECT_NE(0u, LoadInside(&program, folder + "qvplanted.dll"));
        EndProgram(&program);
    }
    DeleteTree(TestRoot());
}

TEST(DllSearch, SetupShowsNoSystemErrorBox)
{
    /* a folder on an empty card or disc drive would otherwise raise
       Windows' "no disk" box, and a silent run would wait on it */
    ::testing::AssertionResult remote = RemoteCallsWork();
    if (!remote)
        GTEST_SKIP() << remote.message();
    Program setup;
    ASSERT_TRUE(StartProgram(&setup, BinFile(QV_SETUP_EXE), "", BinFolder().c_str()));
    ASSERT_NE(nullptr, WaitForDialog(&setup, IDC_PRODUCT_TITLE));
    DWORD mode = 0;
    CallInside(&setup, "GetErrorMode", "", &mode);
    EXPECT_EQ((DWORD)(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX),
              mode & (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
}

} // namespace
