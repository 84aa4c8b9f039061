/*
 * Entry of every test program: the texts under test are code page 932
 * bytes, so a run under any other ANSI code page stops at once. Then the
 * watchdog starts, and every test runs against a deadline of its own.
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
   each window */
static DWORD WINAPI KeepDesktop(LPVOID)
{
    CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, NULL, NULL, NULL, NULL);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
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
    if (!StartWatchdog()) {
        fprintf(stderr, "The watchdog's thread does not start.\n");
        return 1;
    }
    CloseHandle(CreateThread(NULL, 0, KeepDesktop, NULL, 0, NULL));
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new TestDeadlines);
    return RUN_ALL_TESTS();
}
