/*
 * Helper's process-wide state and routines. Helper is started by the
 * shell's context-menu verb with a target path, asks for a keyword in the
 * "INPUTBOX" dialog, appends one keyword record to "!Default.kws" beside
 * its own executable and tells the main program with a broadcast. It has
 * no main window and no message loop of its own; the dialog's modal loop
 * is the only one.
 */
#ifndef QUORVANE_HELPER_HELPER_H
#define QUORVANE_HELPER_HELPER_H

#include <windows.h>

#include "../common/names.h"

/* the longest keyword a record holds; the box hands over one byte more
   with the terminator */
#define KEYWORD_MAX 255
#define KEYWORD_LIMIT (KEYWORD_MAX + 1)
/* the longest target Windows hands over in a MAX_PATH path */
#define TARGET_MAX (MAX_PATH - 1)

/* Process-wide state */
/* the argument count; written by MakeArgumentVector at start, read by
   WinMain and TargetPath */
extern int ArgCount;
/* the arguments: the module path, the target, any further ones, then
   NULL; written by MakeArgumentVector at start, read by TargetPath */
extern char **ArgVector;
/* the keyword typed in the box, at most 255 bytes and the terminator;
   written by ReadKeyword on OK, read by AppendKeywordRecord */
extern char KeywordBuffer[KEYWORD_LIMIT];
/* the times the last append found the keyword file held by another
   Helper and waited; written by AppendRecordInFolder */
extern volatile LONG KeywordFileWaits;

/* command line: the vector from the process's command line; ArgsNotAnsi
   when a character of it has no form in the ANSI code page */
enum { ArgsNoMemory = 0, ArgsBuilt = 1, ArgsNotAnsi = 2 };
int BuildArgumentVector(void);
/* the vector from a given line; 0 when there is no memory for it */
int MakeArgumentVector(const char *commandLine);
/* element 1, the target path; empty when there is none */
const char *TargetPath(void);

/* the input box */
INT_PTR CALLBACK InputBoxDlgProc(HWND hwnd, UINT message, WPARAM wParam,
                                 LPARAM lParam);
/* the keyword box of dialog into KeywordBuffer: at most 255 bytes, and
   never half a double-byte character at the end */
void ReadKeyword(HWND dialog);

/* keyword file and broadcast */
/* the folder of Helper.exe, ending in a separator, in buffer (size
   bytes), which is zero-filled first; empty when it cannot be told */
void GetModuleFolder(char *buffer, size_t size);
/* the record of KeywordBuffer and the target, into the keyword file
   beside Helper.exe */
int AppendKeywordRecord(void);
/* the same into folder's keyword file: the whole record at the end of the
   existing file, or nothing */
int AppendRecordInFolder(const char *folder, const char *keyword,
                         const char *target);
/* 0 only when the message could not be registered */
int BroadcastFileUpdate(void);

#endif
