/*
 * Whether the product runs beside Setup: a program of the install folder
 * found by its file, whatever the spelling it was started by, Setup's own
 * lock against another Setup in any session, which no name a user can
 * create takes first, and the names session 0 does not ask for.
 */
#include <string.h>

#include <string>

#include <sddl.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include "setup/running.h"
#include "setup/security.h"
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
    /* Wine's kernel32 lacks the private namespace functions: the lock is
       this name, as a Setup of another session holds it */
    HANDLE other = CreateMutexA(NULL, TRUE, SETUP_GLOBAL_MUTEX);
    ASSERT_NE(nullptr, other);
    EXPECT_FALSE(TakeSetupMutexes());
    ReleaseSetupMutexes();
    CloseHandle(other);
    EXPECT_TRUE(TakeSetupMutexes());
    ReleaseSetupMutexes();
}

/* Windows' private namespace, which Wine lacks, played by an object
   directory of the alias's name among this session's named objects, where
   "<alias>\\<name>" lands as in the namespace; with what Setup gave it */
struct {
    std::wstring boundary;
    std::string sids, security;
    DWORD createError; /* 0: the namespace is new */
    HANDLE directory;  /* the namespace, new or another Setup's */
} Fake;

HANDLE AliasDirectory(const std::wstring &alias)
{
    typedef LONG(WINAPI * CreateDirectoryObject)(HANDLE *, ACCESS_MASK, OBJECT_ATTRIBUTES *);
    CreateDirectoryObject create = (CreateDirectoryObject)(void (*)(void))GetProcAddress(
        GetModuleHandleA("ntdll.dll"), "NtCreateDirectoryObject");
    std::wstring path = L"\\Sessions\\" + std::to_wstring(RunningSession()) +
                        L"\\BaseNamedObjects\\" + alias;
    UNICODE_STRING name = {(USHORT)(path.size() * 2), (USHORT)(path.size() * 2), &path[0]};
    OBJECT_ATTRIBUTES attributes = {sizeof(attributes), NULL, &name, 0, NULL, NULL};
    HANDLE directory = NULL;
    return create(&directory, 0xF000F, &attributes) >= 0 ? directory : NULL;
}

HANDLE WINAPI FakeCreateBoundary(LPCWSTR name, ULONG)
{
    Fake.boundary = name;
    return &Fake;
}

BOOL WINAPI FakeAddSid(HANDLE *boundary, PSID sid)
{
    char *text = NULL;
    ConvertSidToStringSidA(sid, &text);
    Fake.sids += std::string(text) + ";";
    LocalFree(text);
    return *boundary == &Fake;
}

HANDLE WINAPI FakeCreateNamespace(LPSECURITY_ATTRIBUTES security, LPVOID boundary, LPCWSTR alias)
{
    char *text = NULL;
    ConvertSecurityDescriptorToStringSecurityDescriptorA(
        security->lpSecurityDescriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, NULL);
    Fake.security = text;
    LocalFree(text);
    SetLastError(Fake.createError);
    return boundary == &Fake && Fake.createError == 0 ? Fake.directory = AliasDirectory(alias)
                                                      : NULL;
}

HANDLE WINAPI FakeOpenNamespace(LPVOID boundary, LPCWSTR alias)
{
    return boundary == &Fake && alias == std::wstring(L"" SETUP_NAMESPACE) ? Fake.directory : NULL;
}

VOID WINAPI FakeDeleteBoundary(HANDLE) {}

TEST(Running, NoNameAUserCanCreateTakesSetupsLockFirst)
{
    static const NamespaceCalls kCalls = {FakeCreateBoundary, FakeAddSid, FakeCreateNamespace,
                                          FakeOpenNamespace, FakeDeleteBoundary};
    /* where kernel32 lacks a function, as Wine's does, the lock is the
       name any user may create (the test above) */
    static const struct {
        const char *what;
        DWORD createError;
        int otherLock, userName, takes;
    } kRows[] = {
        {"a new namespace", 0, 0, 1, 1},
        {"another Setup's namespace, its run over", ERROR_ALREADY_EXISTS, 0, 1, 1},
        {"another Setup's lock", ERROR_ALREADY_EXISTS, 1, 0, 0},
        {"Administrators not in the token", ERROR_ACCESS_DENIED, 0, 0, 0},
    };
    for (const auto &row : kRows) {
        SCOPED_TRACE(row.what);
        Fake = {};
        Fake.createError = row.createError;
        if (row.createError == ERROR_ALREADY_EXISTS)
            Fake.directory = AliasDirectory(L"" SETUP_NAMESPACE);
        HANDLE other = row.otherLock ? CreateMutexA(NULL, FALSE, SETUP_LOCK_MUTEX) : NULL;
        HANDLE user = row.userName ? CreateMutexA(NULL, FALSE, SETUP_GLOBAL_MUTEX) : NULL;
        EXPECT_EQ(row.takes, TakeSetupLock(&kCalls));
        /* the lock in the namespace, this Setup's or the other's */
        HANDLE lock = OpenMutexA(SYNCHRONIZE, FALSE, SETUP_LOCK_MUTEX);
        EXPECT_EQ(row.takes || row.otherLock, lock != NULL);
        EXPECT_EQ(L"" SETUP_NAMESPACE, Fake.boundary);
        EXPECT_EQ("S-1-5-32-544;", Fake.sids);
        EXPECT_EQ("D:P(A;;GA;;;SY)(A;;GA;;;BA)", Fake.security);
        ReleaseSetupMutexes();
        for (HANDLE handle : {lock, other, user, Fake.directory})
            CloseHandle(handle);
    }
}

TEST(Running, SessionZeroAsksForNeitherProgramsName)
{
    /* session 0's are global names any user may create; there the
       identity of the running programs decides */
    static const struct {
        DWORD session;
        const char *held;
        int takes, running;
    } kRows[] = {{0, QV_GUARD_MUTEX, 1, 0}, {0, QV_HELPER_MUTEX, 1, 0},
                 {1, QV_GUARD_MUTEX, 0, 0}, {1, QV_HELPER_MUTEX, 0, 1}};
    const DWORD session = SetupSession;
    for (const auto &row : kRows) {
        SCOPED_TRACE(std::to_string(row.session) + " " + row.held);
        SetupSession = row.session;
        HANDLE held = CreateMutexA(NULL, TRUE, row.held);
        EXPECT_EQ(row.takes, TakeSetupMutexes());
        ReleaseSetupMutexes();
        EXPECT_EQ(row.running, ProductIsRunning());
        CloseHandle(held);
    }
    SetupSession = session;
}

} // namespace
