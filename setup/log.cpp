/*
 * The log of a run (/LOG=<file>): plain code page 932 text with CR LF,
 * appended a line at a time, so that a run that ends anywhere has logged
 * everything up to there. Deployment tools keep it beside the exit code.
 * Without /LOG=, or with a file that is not a plain file of its own in
 * folders that are no links, nothing is written.
 */
#include "log.h"

#include <stdarg.h>
#include <stdio.h>

#include "../common/text.h"
#include "texts.h"

/* the open log, or NULL: zero-initialised, so that Setup carries no
   initialised data */
static HANDLE LogFile;

int HasNoLinkedFolder(const char *path)
{
    char prefix[MAX_PATH];
    /* a relative path's folders are those of the current directory */
    DWORD n = GetFullPathNameA(path, sizeof(prefix), prefix, NULL);
    if (n == 0 || n >= sizeof(prefix))
        return 0;
    /* every folder above the file below its root, asked for without its
       backslash, which would lead through a link to what it names:
       C:\logs, C:\logs\runs */
    const char *first = FindBackslash(prefix);
    for (char *p = first != NULL ? (char *)FindBackslash(first + 1) : NULL; p != NULL;
         p = (char *)FindBackslash(p + 1)) {
        *p = '\0';
        DWORD attributes = GetFileAttributesA(prefix);
        *p = '\\';
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return 0;
    }
    return 1;
}

int OpenSetupLog(const char *path)
{
    /* a folder on the way that is a link would take the lines anywhere
       else, as a link in place of the file would */
    if (!HasNoLinkedFolder(path))
        return 0;
    /* appended to, never replaced: one file may hold many runs. Only a
       plain file of its own: a link would have Setup, as administrator,
       write its lines (which carry folders the user chose) into whatever
       file the link names, a batch file among them. Read while it is
       written, but written by this run alone */
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                              NULL);
    BY_HANDLE_FILE_INFORMATION info;
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    if (!GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
        info.nNumberOfLinks != 1) {
        CloseHandle(file);
        return 0;
    }
    LogFile = file;
    return 1;
}

void LogLine(const char *format, ...)
{
    char line[1024 + 2];
    if (LogFile == NULL)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    /* 2026-12-09 03:04:05, digit by digit */
    const WORD parts[] = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    int n = 0;
    for (int i = 0; i < 6; i++) {
        for (int digits = i == 0 ? 1000 : 10; digits > 0; digits /= 10)
            line[n++] = (char)('0' + parts[i] / digits % 10);
        line[n++] = "-- ::  "[i];
    }
    /* the C runtime's formatting, not user32's, so that a silent run
       calls nothing of user32 (which it still imports for the wizard).
       Cut at the buffer, and always terminated. */
    va_list arguments;
    va_start(arguments, format);
    int m = _vsnprintf(line + n, sizeof(line) - 2 - (size_t)n - 1, format, arguments);
    va_end(arguments);
    n = m < 0 ? (int)sizeof(line) - 3 : n + m;
    /* one event, one line: a box's own line breaks become spaces */
    for (int i = 0; i < n; i++) {
        if (line[i] == '\r' || line[i] == '\n')
            line[i] = ' ';
    }
    line[n++] = '\r';
    line[n++] = '\n';
    DWORD written = 0;
    WriteFile(LogFile, line, (DWORD)n, &written, NULL);
}

void LogError(const char *what, const char *path, DWORD error)
{
    LogLine(LOG_FAILED "%s %s (エラー %lu)", what, path, error);
}

void LogFailure(const char *what, const char *path)
{
    LogError(what, path, GetLastError());
}
