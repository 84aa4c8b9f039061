/*
 * One undo for the whole run. Every change a run makes is written down
 * here as it is made: the folders it creates, the new files beside their
 * targets, the swap of the targets (with its journal in the folder), and
 * each registry key before its first change. Until the commit (the
 * machine's record written, or deleted by an uninstall) any failure puts
 * all of it back; a run that was killed is finished or undone by the next
 * one in that folder, from the journal. Nothing here shows a window or
 * ends the process: each routine says 1 or 0, and the sequence decides.
 */
#ifndef QUORVANE_SETUP_TRANSACTION_H
#define QUORVANE_SETUP_TRANSACTION_H

#include <windows.h>

#include <stddef.h>

#include "journal.h"

/* a change the run is about to make, counted; 0 when it must not be
   made, which only a test's ChangeHook asks for */
int MayChange(void);
/* tests only: called before each change with its number from 1; a 0
   makes that change fail as if Windows had refused it. NULL in Setup */
extern int (*ChangeHook)(int number);

/* a fresh transaction for the files of InstallPath; operation is what the
   run does with them (JournalChange or JournalRemove). 0 when a name of
   the product-file table, or a temporary one, does not fit below
   InstallPath */
int BeginChanges(char operation);
/* the install folder held open until the run ends, so that no one can
   rename or replace it; 0 when it cannot be opened */
int HoldInstallFolder(void);
/* the held folder, or NULL */
HANDLE HeldInstallFolder(void);
void ReleaseInstallFolder(void);
/* a folder the run created (the outermost one is kept), removed by the
   undo while it is empty */
void NoteCreatedFolder(const char *folder);
/* row's new file beside its target, created empty and open for writing
   by no one else; INVALID_HANDLE_VALUE when it cannot be */
HANDLE CreateNewFile(size_t row);
/* its path */
const char *NewFilePath(size_t row);
/* row takes part in the swap: its target is replaced by the new file made
   for it, or, without one, removed; the target is looked at now */
void SwapRow(size_t row);
/* 1 when every target that takes part can be replaced; otherwise 0 with
   the first one that cannot (held by a program, a folder, no access) in
   path (size bytes) and the Windows error */
int TargetsReplaceable(char *path, size_t size, DWORD *error);
/* the journal written and flushed, then every target swapped, the old
   files kept beside them; 0 when a step failed */
int SwapTargets(void);
/* a registry key, its values and whether it exists, remembered before
   the run first changes it; 0 when it cannot be, and it must not be
   changed then */
int RememberKey(HKEY root, const char *path);
/* after the commit: the old files deleted, and the journal once none is
   left (one that cannot be deleted is logged and left to a later run) */
void CommitChanges(void);
/* everything the run changed put back: the files, the keys it
   remembered, the hold and the folders it created. Nothing is left to
   undo after CommitChanges or a first UndoChanges */
void UndoChanges(void);
/* the journal a killed run left in InstallPath: finished when that run
   had committed, undone when not. recorded is 1 when the machine's
   record names this folder, version then its version: a change had
   committed when the record holds the journal's version, a removal when
   there is no record. 1 when there was nothing to do or it was done; 0
   when a journal is there that is not whole, or it could not be undone
   (the journal then stays, and the log names the temporary files) */
int RecoverInterruptedChanges(int recorded, unsigned long version);

#endif
