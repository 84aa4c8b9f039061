/*
 * A setup program is often started from a download folder, next to
 * whatever else was downloaded there; a DLL planted beside it must never
 * be loaded in place of a system one. Windows versions that know
 * SetDefaultDllDirectories search only the system folder; older ones at
 * least drop the current directory from the search.
 */
#include <windows.h>

#include "dllsearch.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

typedef BOOL(WINAPI *SetDefaultDllDirectoriesProc)(DWORD);

void RestrictDllSearchPath(void)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesProc setDefault =
        kernel != NULL ? (SetDefaultDllDirectoriesProc)(void (*)(void))GetProcAddress(
                             kernel, "SetDefaultDllDirectories")
                       : NULL;
    if (setDefault == NULL || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryA("");
}
