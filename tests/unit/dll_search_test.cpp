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

/* a routine of kernel32 (which sits at the same address in every
   process) run on a thread of the program with text as its argument; what
   it returned, or 0 */
DWORD CallInside(const Program *program, const char *routine, const std::string &text)
{
    void *argument = VirtualAllocEx(program->process, NULL, text.size() + 1, MEM_COMMIT,
                                    PAGE_READWRITE);
    if (argument == NULL ||
        !WriteProcessMemory(program->process, argument, text.c_str(), text.size() + 1, NULL))
        return 0;
    LPTHREAD_START_ROUTINE start = (LPTHREAD_START_ROUTINE)(void (*)(void))GetProcAddress(
        GetModuleHandleA("kernel32.dll"), routine);
    HANDLE thread = CreateRemoteThread(program->process, NULL, 0, start, argument, 0, NULL);
    DWORD result = 0;
    if (thread != NULL) {
        if (WaitForSingleObject(thread, kWaitMs) == WAIT_OBJECT_0)
            GetExitCodeThread(thread, &result);
        CloseHandle(thread);
    }
    VirtualFreeEx(program->process, argument, 0, MEM_RELEASE);
    return result;
}

/* LoadLibraryA(dll) inside the program: the module, or 0 when the
   program's search does not find it */
DWORD LoadInside(const Program *program, const std::string &dll)
{
    return CallInside(program, "LoadLibraryA", dll);
}

TEST(DllSearch, BothProgramsRestrictTheirOwnSearch)
{
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
    Program setup;
    ASSERT_TRUE(StartProgram(&setup, BinFile(QV_SETUP_EXE), "", BinFolder().c_str()));
    ASSERT_NE(nullptr, WaitForDialog(&setup, IDC_PRODUCT_TITLE));
    DWORD mode = CallInside(&setup, "GetErrorMode", "");
    EXPECT_EQ((DWORD)(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX),
              mode & (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
}

} // namespace
