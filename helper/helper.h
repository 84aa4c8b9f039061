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

#define HELPER_ERROR_CAPTION "Quorvane - エラー"

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
/* the keyword typed in the box, sized as the record's keyword line (255
   bytes, CR LF, terminator); written by InputBoxDlgProc on OK, read by
   AppendKeywordRecord */
extern char KeywordBuffer[KEYWORD_LIMIT + 2];

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

/* keyword file and broadcast */
/* the folder of Helper.exe, ending in a separator, in a MAX_PATH buffer
   that is zero-filled first; empty when it cannot be told */
void GetModuleFolder(char *buffer);
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
