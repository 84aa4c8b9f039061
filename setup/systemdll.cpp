/*
 * The shell and COM are loaded when the wizard first needs them (the
 * folder browser, opening the install folder) rather than at start: most
 * runs never browse, and under emulation loading them at start costs more
 * than the whole rest of Setup's start. The search for them is restricted
 * to the system folder like every other late load (see dllsearch.h).
 */
#include "systemdll.h"

FARPROC LoadSystemProc(const char *dll, const char *name)
{
    HMODULE module = GetModuleHandleA(dll);
    if (module == NULL)
        module = LoadLibraryA(dll); /* kept for the rest of the run */
    return module != NULL ? GetProcAddress(module, name) : NULL;
}
