/*
 * Whether the product runs beside Setup, which would replace or delete
 * its programs under it, and Setup's own mutexes against a second Setup.
 */
#ifndef QUORVANE_SETUP_RUNNING_H
#define QUORVANE_SETUP_RUNNING_H

/* Setup's mutex in every session of the machine */
#define SETUP_GLOBAL_MUTEX "Global\\QuorvaneSetup"

/* the guard mutex "WinQuorvane" and Setup's own machine-wide one, both
   taken for the whole run; 0 when the main program or another Setup, in
   any session, holds one of them (or a Helper runs) */
int TakeSetupMutexes(void);
void ReleaseSetupMutexes(void);
/* 1 while a Helper runs, or a process runs the install folder's
   Quorvane.exe or Helper.exe, in any session and whatever the spelling of
   its path */
int ProductIsRunning(void);

#endif
