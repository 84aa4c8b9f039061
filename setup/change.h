/*
 * The changes of a run, counted: every change Setup makes to the disk or
 * the registry asks first, so that a test can refuse any one of them as
 * Windows would. The lowest room: it calls no other.
 */
#ifndef QUORVANE_SETUP_CHANGE_H
#define QUORVANE_SETUP_CHANGE_H

/* a change the run is about to make, counted; 0 when it must not be
   made, which only a test's ChangeHook asks for */
int MayChange(void);
/* tests only: called before each change with its number from 1; a 0
   makes that change fail as if Windows had refused it. NULL in Setup */
extern int (*ChangeHook)(int number);

#endif
