/*
 * Strict conversion of wide text to the ANSI code page (see ansi.h).
 */
#include "ansi.h"

int WideToAnsi(const wchar_t *wide, char *out, int size)
{
    BOOL substituted = FALSE;
    if (size <= 0)
        return 0;
    /* no best fit: a character without its own ANSI form takes the
       default character, and that is what gives it away */
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, out, size,
                                NULL, &substituted);
    if (n == 0 || substituted) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}

char *StrictAnsiCommandLine(int *noMemory)
{
    const wchar_t *wide = GetCommandLineW();
    if (wide == NULL)
        wide = L"";
    /* two bytes at most for each character, and the terminator */
    int size = lstrlenW(wide) * 2 + 1;
    char *line = (char *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)size);
    *noMemory = line == NULL;
    if (line != NULL && !WideToAnsi(wide, line, size)) {
        HeapFree(GetProcessHeap(), 0, line);
        line = NULL;
    }
    return line;
}
