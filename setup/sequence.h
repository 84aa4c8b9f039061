/*
 * What Setup does, one sequence per action, for the wizard and the silent
 * run alike: what is decided, then the checks (running programs, media,
 * folder), then the changes, then commit or undo, then one end. Each
 * returns how it ended (ends.h) after its box; the caller ends the run
 * (RunDone, RunRestart and RunRefused leave that to it: the wizard
 * completes or keeps its folder page). owner owns every box, NULL in a silent run.
 */
#ifndef QUORVANE_SETUP_SEQUENCE_H
#define QUORVANE_SETUP_SEQUENCE_H

#include <windows.h>

/* the record read and the mode decided (mode.h) once for the run;
   uninstalling is 1 for /S /UNINSTALL. RunDone, or RunFailed after the
   box of a record that cannot be read */
int DecideRun(int uninstalling);
/* what the decided mode does, for the wizard and the silent run alike:
   the notice of a newer version, or an install into folder (the text
   typed or given with /D=, in code page 932 with NO_ANSI_FORM where it
   has no character; NULL for the default folder), an update, a repair
   (a silent run of this version) or an uninstall; uninstall is 1 for /S
   /UNINSTALL. How it ended, RunRefused for a folder that cannot be used */
int RunAction(HWND owner, int uninstall, const char *folder);
/* RunDone, or RunBusy after the running-program box when a program of
   the install folder runs */
int CheckPrograms(HWND owner);
/* into InstallPath, decided by the caller (DecideInstallFolder) */
int InstallSequence(HWND owner);
/* in the recorded folder */
int UpdateSequence(HWND owner);
/* the recorded folder made whole again: the program files that are
   missing or differ from the media, the missing data files, the entry
   and the records */
int RepairSequence(HWND owner);
int UninstallSequence(HWND owner);

#endif
