/*
 * The watchdog's thread and the deadlines it watches (see watchdog.h).
 */
#include "watchdog.h"

#include <stdio.h>

#include <gtest/gtest.h>

/* a passed deadline, copied out of the lock for its report */
struct Passed {
    std::string what, test;
    const char *file;
    int line;
    DWORD ms;

    std::string Message() const
    {
        return "Watchdog: " + (test.empty() ? std::string("the program, outside its tests,") : test) +
               " waited more than " + std::to_string(ms / 1000) + " s for " + what +
               ". The program ends here.";
    }
};

/* The innermost deadline, guarded by lock: the tests' thread arms and lets
   deadlines go, the watchdog's thread reads them. changed wakes the
   watchdog when they change. */
struct WatchdogState {
    CRITICAL_SECTION lock;
    HANDLE changed = NULL;
    Deadline *innermost = NULL;

    WatchdogState() { InitializeCriticalSection(&lock); }
    /* milliseconds left of the innermost deadline, INFINITE for none */
    DWORD Left() const
    {
        if (innermost == NULL)
            return INFINITE;
        DWORD spent = GetTickCount() - innermost->start_;
        return spent >= innermost->ms_ ? 0 : innermost->ms_ - spent;
    }
    Passed Innermost() const
    {
        return {innermost->what_, innermost->test_, innermost->file_, innermost->line_,
                innermost->ms_};
    }
};

static WatchdogState g_watchdog;

static DWORD WINAPI Report(LPVOID param)
{
    const Passed *passed = (const Passed *)param;
    ADD_FAILURE_AT(passed->file, passed->line) << passed->Message();
    if (!passed->test.empty())
        printf("[  FAILED  ] %s (ended by the watchdog)\n", passed->test.c_str());
    fflush(stdout);
    return 0;
}

/* The report is made on a thread of its own, so that one that blocks (a
   new thread waits for the loader lock, which the hung thread may hold)
   cannot keep the program from ending; the watchdog then says it
   itself, without GoogleTest. */
static void ReportAndEnd(const Passed *passed)
{
    HANDLE reporter = CreateThread(NULL, 0, Report, (LPVOID)passed, 0, NULL);
    if (reporter == NULL || WaitForSingleObject(reporter, 10000) != WAIT_OBJECT_0) {
        std::string line = std::string("\n") + passed->file + ":" + std::to_string(passed->line) +
                           ": " + passed->Message() + "\n";
        DWORD written;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), (DWORD)line.size(), &written,
                  NULL);
    }
    TerminateProcess(GetCurrentProcess(), kWatchdogExitCode);
}

static DWORD WINAPI Watch(LPVOID started)
{
    SetEvent((HANDLE)started);
    for (;;) {
        EnterCriticalSection(&g_watchdog.lock);
        DWORD left = g_watchdog.Left();
        if (left == 0) {
            static Passed passed;
            passed = g_watchdog.Innermost();
            LeaveCriticalSection(&g_watchdog.lock);
            ReportAndEnd(&passed); /* does not return */
        }
        LeaveCriticalSection(&g_watchdog.lock);
        WaitForSingleObject(g_watchdog.changed, left);
    }
}

int StartWatchdog()
{
    g_watchdog.changed = CreateEventA(NULL, FALSE, FALSE, NULL);
    HANDLE started = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (g_watchdog.changed == NULL || started == NULL)
        return 0;
    HANDLE thread = CreateThread(NULL, 0, Watch, started, 0, NULL);
    if (thread == NULL) {
        CloseHandle(started);
        return 0;
    }
    /* running before anything else starts: under qemu-user a thread that
       starts while another is still starting has brought the process down */
    HANDLE both[] = {started, thread};
    DWORD woke = WaitForMultipleObjects(2, both, FALSE, INFINITE);
    CloseHandle(thread);
    CloseHandle(started);
    return woke == WAIT_OBJECT_0;
}

Deadline::Deadline(DWORD ms, const std::string &what, const char *file, int line)
    : outer_(NULL), start_(GetTickCount()), ms_(ms), what_(what), file_(file), line_(line)
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test != NULL)
        test_ = std::string(test->test_suite_name()) + "." + test->name();
    EnterCriticalSection(&g_watchdog.lock);
    outer_ = g_watchdog.innermost;
    g_watchdog.innermost = this;
    LeaveCriticalSection(&g_watchdog.lock);
    SetEvent(g_watchdog.changed);
}

Deadline::~Deadline()
{
    EnterCriticalSection(&g_watchdog.lock);
    /* let go in any order: each one unlinks itself */
    for (Deadline **link = &g_watchdog.innermost; *link != NULL; link = &(*link)->outer_) {
        if (*link == this) {
            *link = outer_;
            break;
        }
    }
    LeaveCriticalSection(&g_watchdog.lock);
    SetEvent(g_watchdog.changed);
}

void Deadline::Waiting(const std::string &what)
{
    EnterCriticalSection(&g_watchdog.lock);
    what_ = what;
    LeaveCriticalSection(&g_watchdog.lock);
}

void Deadline::Renew(const std::string &what)
{
    EnterCriticalSection(&g_watchdog.lock);
    what_ = what;
    start_ = GetTickCount();
    LeaveCriticalSection(&g_watchdog.lock);
    SetEvent(g_watchdog.changed);
}
