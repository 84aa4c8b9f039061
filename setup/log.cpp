/*
 * The log of a run (/LOG=<file>): plain code page 932 text with CR LF,
 * appended a line at a time, so that a run that ends anywhere has logged
 * everything up to there. Deployment tools keep it beside the exit code.
 * Without /LOG=, nothing is written; a /LOG= file that is not a plain
 * file of its own ends the run before anything changes.
 */
#include "log.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <aclapi.h>

#include "security.h"
#include "texts.h"
#include "../common/text.h"

/* the open log, or NULL: zero-initialised, so that Setup carries no
   initialised data */
static HANDLE LogFile;
/* a line, its time included, at most; CR LF follows it */
#define LOG_LINE_SIZE 1024

/* what Windows puts before the final path of an open file: \\?\C:\x, and
   \\?\UNC\server\share\x, whose "\\?\UNC" stands for the first backslash
   of \\server\share\x */
#define FINAL_PREFIX "\\\\?\\"
#define FINAL_UNC "\\\\?\\UNC"

/* 1 when final, such a final path, names asked */
static int SameName(const char *asked, const char *final)
{
    if (memcmp(final, FINAL_UNC "\\", sizeof(FINAL_UNC)) == 0)
        return asked[0] == '\\' && lstrcmpiA(asked + 1, final + sizeof(FINAL_UNC) - 1) == 0;
    return memcmp(final, FINAL_PREFIX, sizeof(FINAL_PREFIX) - 1) == 0 &&
           lstrcmpiA(asked, final + sizeof(FINAL_PREFIX) - 1) == 0;
}

/* 1 when the open file is a plain file of its own, reached by the path
   asked for: no folder on the way was a link (its final path is that
   path, with long names), the file is no link itself, it has no second
   name, and no one but SYSTEM, Administrators or this account owns it,
   who could let someone else read it or put another in its place */
static int IsLogOfItsOwn(HANDLE file, const char *path)
{
    char asked[MAX_PATH], final[MAX_PATH + 8];
    BY_HANDLE_FILE_INFORMATION info;
    PSECURITY_DESCRIPTOR security = NULL;
    int own = GetFullPathNameA(path, MAX_PATH, asked, NULL) - 1u < MAX_PATH - 1u &&
              GetLongPathNameA(asked, asked, MAX_PATH) - 1u < MAX_PATH - 1u &&
              GetFinalPathNameByHandleA(file, final, MAX_PATH + 8, 0) - 1u < MAX_PATH + 7u &&
              SameName(asked, final) && GetFileInformationByHandle(file, &info) &&
              (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ==
                  0 &&
              info.nNumberOfLinks == 1 &&
              GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, NULL, NULL, NULL,
                              NULL, &security) == ERROR_SUCCESS &&
              RunningAccount() != NULL && IsOwnedSafely(security, RunningAccount());
    LocalFree(security);
    return own;
}

int OpenSetupLog(const char *path)
{
    /* appended to, never replaced: one file may hold many runs. Read
       while it is written, but written by this run alone; shared for
       deletion only so that a refused one can go again. Setup runs as
       administrator and its lines carry folders the user chose: a link
       would have it write them into whatever file the link names, a
       batch file among them */
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL,
                              FILE_SHARE_READ | FILE_SHARE_DELETE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int created = GetLastError() != ERROR_ALREADY_EXISTS;
    if (!IsLogOfItsOwn(file, path)) {
        /* a file this open made, through a link, goes again: the same
           file, whatever its name says now */
        FILE_DISPOSITION_INFO gone = {TRUE};
        HANDLE again = created ? ReOpenFile(file, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                                              FILE_SHARE_DELETE,
                                            FILE_FLAG_OPEN_REPARSE_POINT)
                               : INVALID_HANDLE_VALUE;
        if (again != INVALID_HANDLE_VALUE) {
            SetFileInformationByHandle(again, FileDispositionInfo, &gone, sizeof(gone));
            CloseHandle(again);
        }
        CloseHandle(file);
        return 0;
    }
    LogFile = file;
    return 1;
}

void LogLine(const char *format, ...)
{
    char line[LOG_LINE_SIZE + 2];
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
