/*
 * The installation record: "InstallPath" and "Version" under the
 * machine's key (which only administrators may change) and, for the
 * Setups before the machine's record, under the account's own. Read
 * strictly, written and deleted with each key remembered first, so that
 * the undo puts back what was there.
 */
#ifndef QUORVANE_SETUP_RECORD_H
#define QUORVANE_SETUP_RECORD_H

#include <windows.h>

#include <stddef.h>

/* what ReadInstallationRecord found */
enum { RecordMissing = 0, RecordRead = 1, RecordUnreadable = 2 };
/* the installation record under root\path: its version and its folder
   (an absolute path of at most 259 bytes) into folder (size bytes,
   empty unless RecordRead) */
int ReadInstallationRecord(HKEY root, const char *path, LONG *version, char *folder,
                           size_t size);
/* 1 when the machine's record names InstallPath, with its version in
   *version */
int MachineRecordNamesInstallPath(LONG *version);
/* both records of InstallPath and this version: this account's first
   (none for LocalSystem), then the machine's, whose write commits the
   run; 0 when one cannot be written */
int WriteInstallationRecords(void);
/* this account's record deleted (LocalSystem leaves users' records
   alone); 0 when it cannot be remembered first */
int DeleteUserRecord(void);
/* the machine's record deleted, which commits an uninstall, and the
   maker's keys above it where nothing else is left in them; 0 when it is
   still there */
int DeleteMachineRecord(void);

#endif
