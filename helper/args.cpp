/*
 * Helper's argument vector, cut from the command line by our own rule
 * (SkipProgramName, NextArgument in common/text.h) rather than the C
 * runtime's, which treats backslashes before a quote and double-byte
 * characters differently. Element 0 is the module path, not the program
 * name as the shell wrote it. Arguments are kept whole, however long; the
 * record's own limits are checked where the record is made.
 *
 * The command line is read wide and converted strictly: the ANSI command
 * line would hold a look-alike or "?" for a character code page 932
 * cannot hold, and so another target than the one the user clicked.
 */
#include "helper.h"

#include "../common/ansi.h"
#include "../common/text.h"

int ArgCount;
char **ArgVector;

int BuildArgumentVector(void)
{
    int noMemory = 0;
    char *line = StrictAnsiCommandLine(&noMemory);
    if (line == NULL)
        return noMemory ? ArgsNoMemory : ArgsNotAnsi;
    int built = MakeArgumentVector(line);
    HeapFree(GetProcessHeap(), 0, line);
    return built ? ArgsBuilt : ArgsNoMemory;
}

int MakeArgumentVector(const char *commandLine)
{
    const char *arguments = SkipProgramName(commandLine);
    const char *cursor = arguments;
    char nothing = '\0';
    size_t length = 0, count = 1, textBytes = MAX_PATH;

    /* first pass: sizes only, so that one block holds the whole vector */
    while (NextArgument(&cursor, &nothing, 0, &length)) {
        count++;
        textBytes += length + 1;
    }
    size_t pointerBytes = (count + 1) * sizeof(char *);
    char **vector = (char **)HeapAlloc(GetProcessHeap(), 0,
                                       pointerBytes + textBytes);
    if (vector == NULL)
        return 0;

    char *text = (char *)vector + pointerBytes;
    char *end = text + textBytes;
    DWORD n = GetModuleFileNameA(NULL, text, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        text[0] = '\0'; /* a cut path would name some other file */
    vector[0] = text;
    text += MAX_PATH;

    cursor = arguments;
    for (size_t i = 1; i < count; i++) {
        NextArgument(&cursor, text, (size_t)(end - text), &length);
        vector[i] = text;
        text += length + 1;
    }
    vector[count] = NULL;

    if (ArgVector != NULL)
        HeapFree(GetProcessHeap(), 0, ArgVector);
    ArgVector = vector;
    ArgCount = (int)count;
    return 1;
}

const char *TargetPath(void)
{
    return ArgCount > 1 ? ArgVector[1] : "";
}
