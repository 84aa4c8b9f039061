/*
 * The registry keys a run changes before its commit (the uninstall
 * entry, the records, the maker's keys above the machine's record),
 * each remembered with its values before its first change, so that the
 * undo puts them back as they were. Nothing here shows a window.
 */
#ifndef QUORVANE_SETUP_SNAPSHOT_H
#define QUORVANE_SETUP_SNAPSHOT_H

#include <windows.h>

/* the most keys a run remembers, and the bytes of their values */
#define SNAPSHOT_KEYS 8
#define SNAPSHOT_BYTES 8192

/* a registry key, its values and whether it exists, remembered before
   the run first changes it; 0 when it cannot be, and it must not be
   changed then */
int RememberKey(HKEY root, const char *path);
/* every key remembered put back as it was, the last remembered first */
void RestoreRememberedKeys(void);
/* the keys remembered forgotten: the run committed */
void ForgetRememberedKeys(void);

#endif
