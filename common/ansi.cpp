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
