/*
 * One undo for the whole run. Every change a run makes is written down
 * as it is made: the folders it creates, the new files beside their
 * targets, the swap of the targets (with its journal in the folder), and
 * each registry key before its first change (snapshot.h). Until the
 * commit (the machine's record written, or deleted by an uninstall) any
 * failure puts all of it back; a run that was killed is finished or
 * undone by the next one in that folder, from the journal. Nothing here
 * shows a window or ends the process: each routine says 1 or 0, and the
 * sequence decides.
 */
#ifndef QUORVANE_SETUP_TRANSACTION_H
#define QUORVANE_SETUP_TRANSACTION_H

#include <windows.h>

#include <stddef.h>

#include "change.h"
#include "journal.h"

/* a fresh transaction for the files of InstallPath; operation is what the
   run does with them (JournalChange or JournalRemove). 0 when a name of
   the product-file table, or a temporary one, does not fit below
   InstallPath */
int BeginChanges(char operation);
/* row's new file beside its target, created empty and open for writing
   by no one else; INVALID_HANDLE_VALUE when it cannot be */
HANDLE CreateNewFile(size_t row);
/* its path, and its target's */
const char *NewFilePath(size_t row);
const char *TargetPath(size_t row);
/* row takes part in the swap: its target is replaced by the new file made
   for it, or, without one, removed; the target is looked at now */
void SwapRow(size_t row);
/* the first row taking part whose target cannot be replaced now (held by
   a program, a folder, no access), with the Windows error; -1 when every
   one can. Rows left to the restart are passed over */
int FindUnreplaceableTarget(DWORD *error);
/* row's target, which another program holds, left as it is by the swap:
   after the commit it is replaced or deleted at the next restart */
void LeaveRowToRestart(size_t row);
/* the journal written and flushed, then every target swapped, the old
   files kept beside them; 0 when a step failed */
int SwapTargets(void);
/* after the commit: the rows finished (the old files deleted, what a
   program holds left to the restart), and the journal deleted once
   nothing is left to a later run */
void CommitChanges(void);
/* everything the run changed put back: the files, the keys it
   remembered, the hold and the folders it created (folder.h). Nothing is left to
   undo after CommitChanges or a first UndoChanges */
void UndoChanges(void);
/* the journal a killed run left in InstallPath: finished when that run
   had committed, undone when not. recorded is 1 when the machine's
   record names this folder, version then its version: a change had
   committed when the record holds the journal's version, a removal when
   there is no record. A journal this Setup cannot read is moved aside,
   never acted on (the log names the temporary files beside it). 1 when
   the run may go on; 0 when a journal could not be undone or moved
   aside */
int RecoverInterruptedChanges(int recorded, unsigned long version);

#endif
