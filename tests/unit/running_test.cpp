/*
 * Whether the product runs beside Setup: a program of the install folder
 * found by its file, whatever the spelling it was started by, and Setup's
 * own mutexes against another Setup in any session.
 */
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "setup/running.h"
#include "setup/setup.h"
#include "tests/support/support.h"

namespace {

TEST(Running, AProgramOfTheFolderIsFoundByItsFileNotItsSpelling)
{
    const std::string folder = TestRoot() + "running\\";
    ASSERT_TRUE(MakeFreshFolder(folder));
    strcpy(InstallPath, folder.c_str());
    const std::string unix = UnixSpelling(folder);
    ASSERT_FALSE(unix.empty());
    for (const char *name : {QV_MAIN_EXE, QV_HELPER_EXE}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(CopyFileA(BinFile("QuorvaneStandIn.exe").c_str(), (folder + name).c_str(),
                              FALSE));
        EXPECT_FALSE(ProductIsRunning()) << "there, but not running";
        Program program;
        /* another session's program holds no mutex this one sees */
        ASSERT_TRUE(StartStandInAs(&program, unix + name, "--no-mutex"));
        EXPECT_TRUE(ProductIsRunning());
        EndProgram(&program);
        ASSERT_TRUE(DeleteFileA((folder + name).c_str()));
    }
    DeleteTree(TestRoot());
}

TEST(Running, AnotherSetupInAnySessionHoldsTheMachinesMutex)
{
    /* as a Setup of another session holds it */
    HANDLE other = CreateMutexA(NULL, TRUE, SETUP_GLOBAL_MUTEX);
    ASSERT_NE(nullptr, other);
    EXPECT_FALSE(TakeSetupMutexes());
    ReleaseSetupMutexes();
    CloseHandle(other);
    EXPECT_TRUE(TakeSetupMutexes());
    ReleaseSetupMutexes();
}

} // namespace
