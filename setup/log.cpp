/*
 * The log of a run (/LOG=<file>): plain code page 932 text with CR LF,
 * appended a line at a time, so that a run that ends anywhere has logged
 * everything up to there. Deployment tools keep it beside the exit code.
 * Without /LOG=, or with a file that is not a plain file of its own,
 * nothing is written.
 */
#include "setup.h"

#include <stdarg.h>
#include <stdio.h>

static HANDLE LogFile = INVALID_HANDLE_VALUE;

int OpenSetupLog(const char *path)
{
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
    if (LogFile == INVALID_HANDLE_VALUE)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    /* the C runtime's formatting, not user32's, so that a silent run
       calls nothing of user32 (which it still imports for the wizard).
       Cut at the buffer, and always terminated. */
    int n = _snprintf(line, 32, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth,
                      now.wDay, now.wHour, now.wMinute, now.wSecond);
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
    LogLine("失敗: %s %s (エラー %lu)", what, path, error);
}

void LogFailure(const char *what, const char *path)
{
    LogError(what, path, GetLastError());
}
