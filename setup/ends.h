/*
 * The boxes of a run and its ends. Every box goes through SetupBox: shown
 * with the standard caption in the wizard's run, a log line alone in a
 * silent run, which answers it by its rule. Every end has one row in
 * ends.cpp's table: its exit code in an interactive run (the codes Setup
 * always had), in a silent run (Windows Installer's, which deployment
 * tools act on), and what the log says it means.
 */
#ifndef QUORVANE_SETUP_ENDS_H
#define QUORVANE_SETUP_ENDS_H

#include <windows.h>

/* how a run, or a sequence of it, ends */
enum RunEnd {
    RunDone = 0,          /* done, cancelled, or nothing to do */
    RunBusy = 1,          /* the product or another Setup runs, or a file is in use */
    RunFailed = 2,        /* a failure whose own box was shown */
    RunNotUnderstood = 3, /* the command line of /S is not understood */
    RunNewer = 4,         /* a newer version is installed: nothing changed */
    RunRefused = 5,       /* the install folder is refused: the wizard keeps its
                             folder page, a silent run fails */
    RunFatal = 6          /* any other failure: the fatal box, then as RunFailed */
};

/* the exit codes of an interactive run, as Setup always had them */
enum InteractiveExitCode { ExitDone = 0, ExitBusy = 1, ExitFailed = -1 };

/* the exit codes of a silent run, as deployment tools know them */
enum SilentExitCode {
    SilentDone = 0,
    SilentBusy = 1618,          /* another installation is in progress */
    SilentFailed = 1603,        /* fatal error during installation */
    SilentNewer = 1638,         /* another version of the product is installed */
    SilentNotUnderstood = 1639  /* invalid command line */
};

/* a box with the standard caption, also logged; the button the user
   chose. A silent run only logs it and answers by its rule: Yes to a
   question (create the folder), Cancel to Retry, OK otherwise */
int SetupBox(HWND owner, const char *text, UINT type);
/* the same with a path between two texts */
int SetupPathBox(HWND owner, const char *before, const char *path, const char *after, UINT type);
/* the box that the product or another Setup runs; RunBusy */
int RunningBox(HWND owner);
int ExitCodeOf(int end);
/* the end of the run in the log (RunFatal after its box), with the
   code's meaning; returns the exit code */
int EndRun(int end);
/* the same, then the process ends with the exit code */
__attribute__((noreturn)) void ExitRun(int end);
/* the fatal box, then the end of the run as failed */
__attribute__((noreturn)) void FatalSetupError(void);

#endif
