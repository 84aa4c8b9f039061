/*
 * What the next restart completes (see restart.h). Windows lists the
 * pending operations as pairs of paths ("\??\C:\x"): the file, and where
 * it goes ("!" before it when it replaces what is there), or nothing for
 * a deletion. A run before the restart reads them, so that it neither
 * counts a file that is pending as damaged nor schedules it twice.
 */
#include "restart.h"

#include <windows.h>

#include "log.h"
#include "texts.h"
#include "change.h"
#include "../common/text.h"

#define PENDING_KEY "System\\CurrentControlSet\\Control\\Session Manager"
#define PENDING_VALUE "PendingFileRenameOperations"
/* before every path there */
#define PENDING_PREFIX "\\??\\"

/* 1 once something of this run waits for the restart */
static int Restart;

int PendingAtRestart(const char *path)
{
    char prefixed[MAX_PATH + 4];
    int state = LeftAsItIs;
    HKEY key;
    DWORD size = 0;
    if (!JoinText(prefixed, sizeof(prefixed), PENDING_PREFIX, path) ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, PENDING_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return LeftAsItIs;
    /* as many bytes as the stored text has, and NULs to end every pair
       whatever is stored */
    char *list = RegQueryValueExA(key, PENDING_VALUE, NULL, NULL, NULL, &size) == ERROR_SUCCESS
                     ? (char *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size + 4)
                     : NULL;
    if (list != NULL &&
        RegQueryValueExA(key, PENDING_VALUE, NULL, NULL, (BYTE *)list, &size) == ERROR_SUCCESS) {
        /* in their order, as Windows carries them out */
        for (char *from = list; *from != '\0';) {
            char *to = from + lstrlenA(from) + 1;
            char *next = to + lstrlenA(to) + 1;
            if (*to == '!')
                to++;
            if (lstrcmpiA(to, prefixed) == 0)
                state = ReplacedAtRestart;
            else if (lstrcmpiA(from, prefixed) == 0)
                state = DeletedAtRestart;
            from = next;
        }
    }
    if (list != NULL)
        HeapFree(GetProcessHeap(), 0, list);
    RegCloseKey(key);
    return state;
}

int LeaveToRestart(const char *from, const char *to)
{
    int pending = PendingAtRestart(to != NULL ? to : from) ==
                  (to != NULL ? ReplacedAtRestart : DeletedAtRestart);
    if (!pending && !(MayChange() &&
                      MoveFileExA(from, to,
                                  MOVEFILE_DELAY_UNTIL_REBOOT |
                                      (to != NULL ? MOVEFILE_REPLACE_EXISTING : 0)))) {
        LogFailure(LOG_AT_RESTART_FAILED, from);
        return 0;
    }
    LogLine(LOG_AT_RESTART "%s", to != NULL ? to : from);
    Restart = 1;
    return 1;
}

int RestartNeeded(void)
{
    return Restart;
}

void SetRestartNeeded(int needed)
{
    Restart = needed;
}
