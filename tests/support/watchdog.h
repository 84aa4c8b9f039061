/*
 * The watchdog of a test program: a thread that ends the program when a
 * deadline armed for what it waits for passes. A wait that never returns
 * (a window of a thread that never answers, Wine's desktop process that
 * never comes up) then fails the running test within its deadline, naming
 * what it waited for, instead of holding the run until ctest's timeout.
 * test_main.cpp starts it and gives every test a deadline of its own;
 * fixtures that wait inside this process arm tighter ones.
 */
#ifndef QUORVANE_TESTS_SUPPORT_WATCHDOG_H
#define QUORVANE_TESTS_SUPPORT_WATCHDOG_H

#include <windows.h>

#include <string>

/* the exit code of a program its watchdog ended (timeout(1)'s) */
const int kWatchdogExitCode = 124;

/* Deadlines, far beyond a healthy run under qemu-user on a busy machine
   (there, beside the fuzzers, Wine's desktop came up within 5 s and an
   in-process dialog's test took under 3 s): they only end a run that can
   no longer end by itself. */
/* any one test, from its fixture's set-up to its tear-down */
const DWORD kTestDeadlineMs = 180000;
/* one test of a dialog opened in this process */
const DWORD kDialogDeadlineMs = 60000;
/* Wine's desktop process, started for the program's first window */
const DWORD kDesktopDeadlineMs = 90000;

/* starts the watchdog's thread; 1 when it runs */
int StartWatchdog();

/*
 * While one lives, the watchdog watches it: when its time passes, the
 * running test fails at the line that armed it with what it waits for,
 * and the program ends with kWatchdogExitCode. Deadlines nest: only the
 * innermost is watched, and the one around it again when it is let go.
 */
class Deadline {
public:
    Deadline(DWORD ms, const std::string &what, const char *file = __builtin_FILE(),
             int line = __builtin_LINE());
    ~Deadline();
    Deadline(const Deadline &) = delete;
    Deadline &operator=(const Deadline &) = delete;

    /* what is waited for from now on, within the same time */
    void Waiting(const std::string &what);
    /* the whole time again from now, for what */
    void Renew(const std::string &what);

private:
    friend struct WatchdogState;
    Deadline *outer_;
    DWORD start_, ms_;
    std::string what_;
    std::string test_; /* the test that armed it, if any */
    const char *file_;
    int line_;
};

#endif
