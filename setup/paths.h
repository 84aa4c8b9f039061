/*
 * Paths below the install folder (InstallPath), each composed in a
 * MAX_PATH buffer, and nothing composed while InstallPath lacks its
 * backslash (a recorded folder that could not take one).
 */
#ifndef QUORVANE_SETUP_PATHS_H
#define QUORVANE_SETUP_PATHS_H

#include <windows.h>

#include <stddef.h>

/* adds the trailing backslash to InstallPath unless it has one; 0 when
   that does not fit, or when InstallPath ends in half a character */
int AddInstallPathBackslash(void);
/* out (size bytes, at most MAX_PATH used) = InstallPath + name; 0 and an
   empty out when InstallPath lacks its backslash or the path does not fit */
int ComposeInstallFile(char *out, size_t size, const char *name);
/* out (MAX_PATH bytes) = InstallPath + name + suffix */
int ComposeTemporaryFile(char *out, const char *name, const char *suffix);
/* 1 when every file of the product has a path below InstallPath that fits
   MAX_PATH, its temporary names and the journal included; InstallPath
   must already end in its backslash */
int ProductFilesFit(void);
/* text, the install folder typed or given with /D=, into InstallPath:
   made absolute, with its backslash; 0 when it is too short, cannot be
   made absolute, or a file of the product would not fit below it */
int DecideInstallFolder(const char *text);
int IsExistingFolder(const char *path);
/* 1 when path is a file, not a folder */
int FileIsThere(const char *path);
/* 1 when path is an existing folder ending in its backslash: the only
   thing opened in the shell after a completed run */
int IsFolderToOpen(const char *path);
/* the file or folder at path opened for its identity alone, shared with
   everyone; INVALID_HANDLE_VALUE when it cannot be opened */
HANDLE OpenIdentity(const wchar_t *path);
/* 1 when the two open files are one file, whatever the spellings of
   their paths (a short name, another drive letter, "\\?\", a second
   name): the same volume and file index */
int IsSameFile(HANDLE first, HANDLE second);

#endif
