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

int MarkedAnsiText(const wchar_t *wide, char *text, size_t size)
{
    int length = 0;
    while (wide[length] != L'\0')
        length++;
    /* two bytes at most for each character, and the terminator */
    if ((size_t)length * 2 + 1 > size) {
        text[0] = '\0';
        return 0;
    }
    char *out = text;
    for (int i = 0; i < length; i++) {
        BOOL substituted = FALSE;
        int n = 0;
        /* a pair of surrogates is one character, and none of code page 932 */
        if (wide[i] < 0xD800 || wide[i] > 0xDFFF)
            n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide + i, 1, out, 2, NULL,
                                    &substituted);
        else if (wide[i] <= 0xDBFF && i + 1 < length && wide[i + 1] >= 0xDC00 &&
                 wide[i + 1] <= 0xDFFF)
            i++;
        if (n == 0 || substituted) {
            *out++ = NO_ANSI_FORM;
            continue;
        }
        out += n;
    }
    *out = '\0';
    return 1;
}
