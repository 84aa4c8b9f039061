/*
 * The boxes of a run and its ends. Every box goes through SetupBox: shown
 * with the standard caption in the wizard's run, a log line alone in a
 * silent run, which answers it by its rule. Every end has one row in
 * RUN_ENDS, which makes both the enumeration and ends.cpp's table: its
 * exit code in an interactive run (the codes Setup always had), in a
 * silent run (Windows Installer's, which deployment tools act on),
 * whether the fatal box comes first, and what the log says it means.
 */
#ifndef QUORVANE_SETUP_ENDS_H
#define QUORVANE_SETUP_ENDS_H

#include <windows.h>

/* the exit codes of an interactive run, as Setup always had them */
enum InteractiveExitCode { ExitDone = 0, ExitBusy = 1, ExitFailed = -1 };

/* the exit codes of a silent run, as deployment tools know them */
enum SilentExitCode {
    SilentDone = 0,
    SilentBusy = 1618,          /* another installation is in progress */
    SilentFailed = 1603,        /* fatal error during installation */
    SilentNewer = 1638,         /* another version of the product is installed */
    SilentNotUnderstood = 1639, /* invalid command line */
    SilentLogFailed = 1622,     /* the log file cannot be written */
    SilentRestart = 3010        /* done; a restart completes it */
};

/* how a run, or a sequence of it, ends: its exit code in an interactive
   run and in a silent run, whether the fatal box comes first, and what
   the log says it means */
#define RUN_ENDS(END)                                                                      \
    /* done, cancelled, or nothing to do */                                                \
    END(RunDone, ExitDone, SilentDone, 0, "正常に終了しました")                            \
    /* the product or another Setup runs */                                                \
    END(RunBusy, ExitBusy, SilentBusy, 0, "Quorvane などが実行中のため、何も変更していません") \
    /* a failure whose own box was shown */                                                \
    END(RunFailed, ExitFailed, SilentFailed, 0, "エラーのため完了できませんでした")          \
    /* the command line of /S is not understood */                                         \
    END(RunNotUnderstood, ExitFailed, SilentNotUnderstood, 0,                               \
        "コマンド ラインを解釈できないため、何もしていません")                              \
    /* a newer version is installed: nothing changed */                                    \
    END(RunNewer, ExitDone, SilentNewer, 0, "より新しいバージョンがあるため、何も変更していません") \
    /* the install folder is refused: the wizard keeps its folder page, a                   \
       silent run fails */                                                                 \
    END(RunRefused, ExitFailed, SilentFailed, 0, "セットアップ先フォルダを使えません")       \
    /* any other failure */                                                                \
    END(RunFatal, ExitFailed, SilentFailed, 1, "エラーのため完了できませんでした")           \
    /* the log asked for cannot be written: nothing is done */                              \
    END(RunLogFailed, ExitFailed, SilentLogFailed, 1,                                       \
        "ログに書き込めないため、何もしていません")                                 \
    /* done, with a file in use replaced or deleted at the next restart */                 \
    END(RunRestart, ExitDone, SilentRestart, 0, "再起動で完了します")

#define RUN_END_NAME(name, interactive, silent, fatalBox, meaning) name,
enum RunEnd { RUN_ENDS(RUN_END_NAME) };
#undef RUN_END_NAME

/* a box with the standard caption, also logged; the button the user
   chose. A silent run only logs it and answers by its rule: Yes to a
   question (create the folder), Cancel to Retry, OK otherwise */
int SetupBox(HWND owner, const char *text, UINT type);
/* the same with a path between two texts */
int SetupPathBox(HWND owner, const char *before, const char *path, const char *after, UINT type);
/* the box that the product or another Setup runs; RunBusy */
int RunningBox(HWND owner);
int ExitCodeOf(int end);
/* the end of the run in the log (after the fatal box where its row
   says), with the code's meaning; returns the exit code */
int EndRun(int end);
/* the same, then the process ends with the exit code */
__attribute__((noreturn)) void ExitRun(int end);

#endif
