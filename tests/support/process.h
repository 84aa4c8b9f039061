/*
 * Programs a test starts. Each runs in a job object that ends it, and
 * every process it started, when the Program is ended or goes out of
 * scope, so a failed ASSERT never leaves a program behind (a stand-in
 * left holding the guard mutex would fail every later Setup test for the
 * wrong reason). Everything that waits has a deadline.
 */
#ifndef QUORVANE_TESTS_SUPPORT_PROCESS_H
#define QUORVANE_TESTS_SUPPORT_PROCESS_H

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

/* generous: under emulation a program may take seconds to show a window */
extern const DWORD kWaitMs;

struct Program;
/* ends the program and everything it started; closes the handles */
void EndProgram(Program *program);

struct Program {
    HANDLE process = NULL;
    HANDLE job = NULL;
    DWORD pid = 0;

    Program() = default;
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;
    ~Program() { EndProgram(this); }
};

/* the folder of the test executable, where Setup.exe and Helper.exe are */
std::string BinFolder();
std::string BinFile(const char *name);

/* starts "exe" arguments in currentDir (NULL: inherit); 1 on success */
int StartProgram(Program *program, const std::string &exe,
                 const std::string &arguments, const char *currentDir);
/* the same with a command line taken as is */
int StartProgramRaw(Program *program, const std::string &exe,
                    const std::string &commandLine, const char *currentDir);
/* the same with a wide command line, for names code page 932 cannot hold */
int StartProgramWide(Program *program, const std::wstring &exe,
                     const std::wstring &commandLine, const char *currentDir);
/* Wine restarted, as Windows restarts: what is pending at the restart is
   carried out (wineboot -r); 1 when that ran */
int RestartWine();
/* the exit code, or STILL_ACTIVE after the deadline (the program is then
   ended) */
DWORD WaitForExit(Program *program, DWORD timeoutMs = kWaitMs);
int IsRunning(const Program *program);
/* the exit code a program chose, not one of a crash */
::testing::AssertionResult EndedWith(DWORD code, DWORD expected);
/* processes in the program's job, the program itself included */
int JobProcessCount(const Program *program);
/* 1 when the job of a program that has ended holds no process before
   the deadline: the job lets go of an ended process a moment after its
   end, and a process the program started stays in it */
int JobEmpties(const Program *program, DWORD timeoutMs = 3000);
/* the program files of the processes in the program's job, for a
   failure's message */
std::string JobProcessNames(const Program *program);
/* a visible top-level window of a process the program started (in its
   job, not the program itself), or NULL after the deadline */
HWND WaitForChildWindow(const Program *program, DWORD timeoutMs = kWaitMs);

#endif
