/*
 * The log of a run (/LOG=<file>): what each line starts with is in
 * texts.h. Nothing is written without a log.
 */
#ifndef QUORVANE_SETUP_LOG_H
#define QUORVANE_SETUP_LOG_H

#include <windows.h>

/* opens path for appending, then checks what was opened: a plain file of
   its own (see log.cpp); 0 when it cannot be opened or is refused, and
   nothing is logged then */
int OpenSetupLog(const char *path);
/* one line, the time before it */
void LogLine(const char *format, ...);
/* "failed: what path (error N)" with the given Windows error code, or
   with the thread's last error */
void LogError(const char *what, const char *path, DWORD error);
void LogFailure(const char *what, const char *path);

#endif
