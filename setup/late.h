/*
 * System DLLs that Setup loads only when it needs them.
 */
#ifndef QUORVANE_SETUP_LATE_H
#define QUORVANE_SETUP_LATE_H

#include <windows.h>

/* the routine name of the system DLL dll, loaded on first use; NULL when
   either is missing */
FARPROC LateProc(const char *dll, const char *name);

/* a function pointer of the routine's own type */
#define LATE_PROC(type, dll, name) ((type)(void (*)(void))LateProc(dll, name))

#endif
