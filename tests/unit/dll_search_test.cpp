/*
 * After RestrictDllSearchPath a DLL planted in the current directory or
 * beside the program is no longer loaded by its bare name; system DLLs
 * still are. It changes the whole process, so it has a program of its own.
 */
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "common/dllsearch.h"
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

} // namespace
