/*
 * Entry of every test program: the texts under test are code page 932
 * bytes, so a run under any other ANSI code page stops at once. Then the
 * watchdog and Wine's desktop start, before any test, and every test runs
 * against a deadline of its own.
 */
#include <windows.h>
#include <stdio.h>

#include <gtest/gtest.h>

#include "tests/support/watchdog.h"

/* GoogleTest copies every failure to OutputDebugStringA. Under qemu-user
   (machines without 32-bit emulation) Wine cannot unwind the exception
   that call raises, and the run would die at its first failure; the copy
   only matters inside a debugger, so the test programs import a quiet one. */
static void WINAPI QuietDebugString(LPCSTR) {}
extern "C" void(WINAPI *QuietDebugStringImport)(LPCSTR) __asm__(
    "__imp__OutputDebugStringA@4");
void(WINAPI *QuietDebugStringImport)(LPCSTR) = QuietDebugString;

/* Wine starts the desktop's own process from the first program that needs
   the desktop, and keeps it while a window is on it. Started here, by a
   hidden window that lives as long as the tests, it is never a process
   that a program under test started (and whose job would hold it). The
   window's thread answers every message at once: a broadcast waits for
   each window. */
static HWND g_keeper;      /* written by KeepDesktop before it sets g_keeperUp */
static HANDLE g_keeperUp;

static DWORD WINAPI KeepDesktop(LPVOID)
{
    g_keeper = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    SetEvent(g_keeperUp);
    if (g_keeper == NULL)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

/* The tests start once the keeper's thread has started and its window is
   up. Started beside the first test instead, on a busy machine under
   qemu-user, the keeper's start overlapped the first dialog's (each
   started a desktop process of its own) and the start of the thread
   GoogleTest makes at the first test: the first dialog failed to open,
   the program crashed, or it hung for good on the loader lock, held by a
   thread that never finished starting. */
static int StartDesktop()
{
    Deadline deadline(kDesktopDeadlineMs,
                      "Wine's desktop process (explorer.exe /desktop) to start for the "
                      "window that keeps it");
    g_keeperUp = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE thread = CreateThread(NULL, 0, KeepDesktop, NULL, 0, NULL);
    if (g_keeperUp == NULL || thread == NULL)
        return 0;
    HANDLE both[] = {g_keeperUp, thread};
    DWORD woke = WaitForMultipleObjects(2, both, FALSE, INFINITE);
    CloseHandle(thread);
    return woke == WAIT_OBJECT_0 && g_keeper != NULL;
}

/* Every test has a deadline of its own, however it waits, and so has the
   time around its suite's tests (SetUpTestSuite, TearDownTestSuite). */
class TestDeadlines : public ::testing::EmptyTestEventListener {
    Deadline *suite_ = nullptr, *test_ = nullptr;

    void OnTestSuiteStart(const ::testing::TestSuite &suite) override
    {
        suite_ = new Deadline(kTestDeadlineMs,
                              std::string("the set-up of the suite ") + suite.name());
    }
    void OnTestStart(const ::testing::TestInfo &) override
    {
        test_ = new Deadline(kTestDeadlineMs, "the test to end");
    }
    void OnTestEnd(const ::testing::TestInfo &) override
    {
        delete test_;
        test_ = nullptr;
        suite_->Renew("the suite's next test or its tear-down");
    }
    void OnTestSuiteEnd(const ::testing::TestSuite &) override
    {
        delete suite_;
        suite_ = nullptr;
    }
};

int main(int argc, char **argv)
{
    UINT acp = GetACP();
    if (acp != 932) {
        fprintf(stderr,
                "The ANSI code page is %u, not 932: run the tests with "
                "LANG=ja_JP.UTF-8 and the ja_JP.UTF-8 locale generated "
                "(scripts/bootstrap, scripts/wine-run).\n",
                acp);
        return 2;
    }
    ::testing::InitGoogleTest(&argc, argv);
    /* before any test: 75 asks scripts/wine-run to start the program once
       more, as Wine's desktop process now and then crashes while it
       starts under qemu-user */
    if (!StartWatchdog()) {
        fprintf(stderr, "The watchdog's thread does not start.\n");
        return 75;
    }
    if (!StartDesktop()) {
        fprintf(stderr, "The hidden window that keeps Wine's desktop was not made.\n");
        return 75;
    }
    ::testing::UnitTest::GetInstance()->listeners().Append(new TestDeadlines);
    return RUN_ALL_TESTS();
}
