/*
 * The install folder on disk: the rule every existing folder from its
 * root down must pass, the missing folders created, each with the
 * permissions of InstallFolderSecurity, and the folder held while the run
 * acts in it.
 */
#ifndef QUORVANE_SETUP_FOLDER_H
#define QUORVANE_SETUP_FOLDER_H

#include <windows.h>

#include <stddef.h>

/* the install folder held open until the run ends, so that no one can
   rename or replace it; 0 when it cannot be opened */
int HoldInstallFolder(void);
/* the held folder, or NULL */
HANDLE HeldInstallFolder(void);
void ReleaseInstallFolder(void);
/* a folder the run created (the outermost one is kept), removed by the
   undo while it is empty, deepest first */
void NoteCreatedFolder(const char *folder);
void RemoveCreatedFolders(void);
/* the run committed: what it created stays */
void ForgetCreatedFolders(void);

/* the index-th folder of folder from its root down (C:\, C:\A\, C:\A\B\)
   in level (size bytes), and its place (security.h); 0 past the last.
   The "\\" and "\\server\" of a share are no folders */
int FolderLevelAt(const char *folder, int index, char *level, size_t size, int *place);
/* 1 when folder, or an existing folder above it up to its root, is not
   safe; that folder is then in unsafe (size bytes) */
int FindUnsafeFolder(const char *folder, char *unsafe, size_t size);
/* every missing folder of path created, the outermost noted for the
   undo; a level someone else made meanwhile is left to the folder rule,
   which the caller applies again. 1 when path is a folder afterwards */
int CreateFolderChain(const char *path);

#endif
