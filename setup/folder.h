/*
 * The install folder on disk: the rule every existing folder from its
 * root down must pass, and the missing folders created, each with the
 * permissions of InstallFolderSecurity.
 */
#ifndef QUORVANE_SETUP_FOLDER_H
#define QUORVANE_SETUP_FOLDER_H

#include <stddef.h>

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
