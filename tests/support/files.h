/*
 * Files and folders as tests lay them out and read them back. Paths are
 * code page 932 bytes and are walked by character.
 */
#ifndef QUORVANE_TESTS_SUPPORT_FILES_H
#define QUORVANE_TESTS_SUPPORT_FILES_H

#include <windows.h>

#include <string>
#include <vector>

int ReadFileBytes(const std::string &path, std::string *data);
int WriteFileBytes(const std::string &path, const std::string &data);
int FileExists(const std::string &path);
int FolderExists(const std::string &path);
void DeleteTree(const std::string &path);
/* an empty folder of this path, whatever was there before */
int MakeFreshFolder(const std::string &path);
std::vector<std::string> FolderEntries(const std::string &folder);
/* path opened for reading and shared with no one, as a program that holds
   its file open; INVALID_HANDLE_VALUE when it cannot be */
HANDLE HoldFile(const std::string &path);
/* the path without its trailing backslash (by character) */
std::string WithoutBackslash(const std::string &path);

/* the access that the entries of path's DACL for Everyone allow (0 when
   there is none; Wine reports a folder's DACL from its Unix mode, and
   Everyone from the mode's "other" bits); -1 when it cannot be read */
long EveryoneAccess(const std::string &path);

/* gives Everyone full control of path (Wine makes that mode 777); 1 on
   success */
int LetEveryoneChange(const std::string &path);

/* fills the drive of folder with a file "filler" in it: whole pages
   first, then byte by byte until nothing more goes in */
int FillDrive(const std::string &folder);
/* S:, a 256 KiB file system of its own (scripts/small-drive), or empty when
   it is not there (mounting it needs root) */
std::string SmallDrive();

/* the throw-away root of test folders, ending in a backslash */
std::string TestRoot();

/* path as Wine's Z: drive spells it, the Unix path of the same file;
   empty when Wine does not say */
std::string UnixSpelling(const std::string &path);

#endif
