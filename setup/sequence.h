/*
 * What Setup does, one sequence per action, for the wizard and the silent
 * run alike: what is decided, then the checks (running programs, media,
 * folder), then the changes, then commit or undo, then one end. Each
 * returns how it ended (ends.h) after its box; the caller ends the run
 * (RunDone and RunRefused leave that to it: the wizard completes or keeps
 * its folder page). owner owns every box, NULL in a silent run.
 */
#ifndef QUORVANE_SETUP_SEQUENCE_H
#define QUORVANE_SETUP_SEQUENCE_H

#include <windows.h>

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
