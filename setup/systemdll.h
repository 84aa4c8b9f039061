/*
 * The shell and COM, loaded when the wizard first needs them.
 */
#ifndef QUORVANE_SETUP_SYSTEMDLL_H
#define QUORVANE_SETUP_SYSTEMDLL_H

#include <windows.h>

/* a routine of a system DLL, which is loaded from the system folder on
   first use and kept; NULL when either is missing */
FARPROC LoadSystemProc(const char *dll, const char *name);
/* the same as a function pointer of the routine's own type */
#define LOAD_SYSTEM_PROC(type, dll, name) \
    ((type)(void (*)(void))LoadSystemProc(dll, name))

#endif
