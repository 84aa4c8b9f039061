/*
 * What the next restart of Windows completes: a file another program
 * holds, replaced by its new copy or deleted then, as Windows Installer
 * leaves such files (MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT, which
 * Windows keeps in PendingFileRenameOperations). Setup never restarts
 * the machine itself. Nothing here shows a window.
 */
#ifndef QUORVANE_SETUP_RESTART_H
#define QUORVANE_SETUP_RESTART_H

/* what the next restart does to a file, by the operations pending */
enum { LeftAsItIs = 0, ReplacedAtRestart = 1, DeletedAtRestart = 2 };
int PendingAtRestart(const char *path);
/* from renamed over to, or deleted when to is NULL, at the next restart,
   unless that is pending already; 1 when it is pending */
int LeaveToRestart(const char *from, const char *to);
/* 1 once this run left something to the next restart, or met something
   of its own still pending */
int RestartNeeded(void);
/* 1 for a run that meets something of its own still pending; 0 forgets
   it, for the tests' runs in one process */
void SetRestartNeeded(int needed);

#endif
