/*
 * The keyword file "!Default.kws" beside Helper's own executable and the
 * broadcast that tells the main program it has changed. Helper only ever
 * appends: one record of keyword, CR LF, target, CR LF, CR LF per
 * confirmed assignment, written whole at the end of the file or not at
 * all. Reading the file and reacting to the message belong to the main
 * program.
 */
#include "helper.h"

#include <string.h>

#include "../common/text.h"

char KeywordBuffer[KEYWORD_LIMIT];
volatile LONG KeywordFileWaits;

/* another Helper holds the file only for the few milliseconds of its
   append, so a sharing violation is worth waiting out for a while */
static const DWORD kShareRetryMs = 2000;
static const DWORD kShareRetrySleepMs = 20;

/* how long the broadcast waits for one window before it moves on */
static const UINT kBroadcastWindowMs = 3000;

void GetModuleFolder(char *buffer, size_t size)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof(path));
    if (n == 0 || n >= sizeof(path))
        path[0] = '\0'; /* a cut path would name some other folder */
    /* a folder that cannot be told is left empty, and the append refuses
       an empty folder */
    SplitModuleFolder(path, buffer, size);
}

int AppendKeywordRecord(void)
{
    char folder[MAX_PATH];
    GetModuleFolder(folder, sizeof(folder));
    return AppendRecordInFolder(folder, KeywordBuffer, TargetPath());
}

static HANDLE OpenKeywordFile(const char *path)
{
    DWORD start = GetTickCount();
    InterlockedExchange(&KeywordFileWaits, 0);
    for (;;) {
        /* OPEN_EXISTING: a missing file means no installation to add to */
        HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE ||
            GetLastError() != ERROR_SHARING_VIOLATION ||
            GetTickCount() - start >= kShareRetryMs)
            return file;
        /* retry: another Helper holds the file for a few milliseconds */
        InterlockedIncrement(&KeywordFileWaits);
        Sleep(kShareRetrySleepMs);
    }
}

int AppendRecordInFolder(const char *folder, const char *keyword,
                         const char *target)
{
    char path[MAX_PATH];
    char record[KEYWORD_MAX + 2 + TARGET_MAX + 4 + 1];

    /* an empty folder would make the name relative to the current
       directory, which is not where the user's keywords are */
    if (folder[0] == '\0')
        return 0;
    if (!JoinText(path, sizeof(path), folder, QV_KEYWORD_FILE))
        return 0;
    if (strlen(keyword) > KEYWORD_MAX || strlen(target) > TARGET_MAX)
        return 0;
    size_t length = ComposeKeywordRecord(record, sizeof(record), keyword,
                                         target);
    if (length == 0)
        return 0;

    /* the read-only mark says the file must not change; checked here, as
       under Wine run as root the open itself would succeed */
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY))
        return 0;

    HANDLE file = OpenKeywordFile(path);
    if (file == INVALID_HANDLE_VALUE)
        return 0;

    int ok = 0;
    LARGE_INTEGER zero, end;
    zero.QuadPart = 0;
    if (SetFilePointerEx(file, zero, &end, FILE_END)) {
        DWORD written = 0;
        if (WriteFile(file, record, (DWORD)length, &written, NULL) &&
            written == length) {
            ok = 1;
        } else if (SetFilePointerEx(file, end, NULL, FILE_BEGIN)) {
            /* no partial record may stay for the main program to misread */
            SetEndOfFile(file);
        }
    }
    if (!CloseHandle(file))
        ok = 0;
    return ok;
}

int BroadcastFileUpdate(void)
{
    UINT message = RegisterWindowMessageA(QV_UPDATE_MESSAGE);
    if (message == 0)
        return 0;
    /* synchronous, so a responsive main program has the notice before
       Helper ends; a window that does not answer only costs its timeout.
       No SMTO_ABORTIFHUNG: it skips a window that merely has not looked
       at its queue for 5 seconds and is just waking up to this message,
       so the main program would miss it when several Helpers end at once.
       The receivers' answers mean nothing here. */
    SendMessageTimeoutA(HWND_BROADCAST, message, 0, 0, SMTO_NORMAL,
                        kBroadcastWindowMs, NULL);
    return 1;
}
