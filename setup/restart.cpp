/*
 * What the next restart completes (see restart.h). Windows lists the
 * pending operations as pairs of paths ("\??\C:\x"): the file, and where
 * it goes ("!" before it when it replaces what is there), or nothing for
 * a deletion. A run before the restart reads them, so that it neither
 * counts a file that is pending as damaged nor schedules it twice.
 */
#include "restart.h"

#include <windows.h>

#include <string.h>

#include "change.h"
#include "log.h"
#include "texts.h"
#include "../common/text.h"

#define PENDING_KEY "System\\CurrentControlSet\\Control\\Session Manager"
#define PENDING_VALUE "PendingFileRenameOperations"
/* before every path there */
#define PENDING_PREFIX "\\??\\"

/* 1 once something of this run waits for the restart */
static int Restart;
/* the pending operations as read, and NULs after them: Windows keeps
   them in a value of at most some hundred kilobytes */
#define PENDING_ROOM (256 * 1024)
static char Pending[PENDING_ROOM + 4];

int PendingAtRestart(const char *path)
{
    char prefixed[MAX_PATH + 4];
    int state = LeftAsItIs;
    HKEY key;
    DWORD size = sizeof(Pending) - 4;
    if (!JoinText(prefixed, sizeof(prefixed), PENDING_PREFIX, path) ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, PENDING_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return LeftAsItIs;
    if (RegQueryValueExA(key, PENDING_VALUE, NULL, NULL, (BYTE *)Pending, &size) == ERROR_SUCCESS) {
        /* NULs to end every pair, whatever is stored */
        memset(Pending + size, 0, 4);
        /* in their order, as Windows carries them out */
        for (char *from = Pending; *from != '\0';) {
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
        LogFailure("名前の変更", from);
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
