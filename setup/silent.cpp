/*
 * The silent run (/S) that deployment tools start with no one at the
 * screen: no window and no box; what the recorded installation and
 * /UNINSTALL ask for, or nothing; the answer is the exit code and, with
 * /LOG=, the log:
 *
 *   recorded       /S                     /S /UNINSTALL
 *   none           install (/D= or the    nothing to do
 *                  default folder)
 *   older          update                 uninstall
 *   this version   repair                 uninstall
 *   newer          nothing (1638)         nothing (1638)
 *
 * The exit code says how it ended (ends.h): 0 done or nothing to do;
 * 3010 done, with a file another program holds replaced or deleted at
 * the next restart (no one waits for Retry); 1618 the product or another
 * Setup runs: nothing changed, try again later; 1603 any failure (an
 * unreadable record, a refused folder, damaged media, a failed copy or
 * write); 1622 the log cannot be written; 1638 a newer version is
 * installed; 1639 a command line that is not understood.
 */
#include "silent.h"

#include <string.h>

#include "ends.h"
#include "log.h"
#include "sequence.h"
#include "setup.h"
#include "texts.h"
#include "../common/ansi.h"
#include "../common/text.h"

/* the command line in code page 932, as long as Windows allows one (32767
   characters), for the switches and the log */
#define COMMAND_LINE_SIZE 65536
static char CommandLine[COMMAND_LINE_SIZE];

const char *ReadSetupSwitches(struct SetupSwitches *switches)
{
    const wchar_t *wide = GetCommandLineW();
    MarkedAnsiText(wide != NULL ? wide : L"", CommandLine, sizeof(CommandLine));
    ParseSetupSwitches(SkipProgramName(CommandLine), switches);
    /* a log file of a name code page 932 cannot hold would be a
       look-alike, another file: none is written. The program's own path
       plays no part */
    if (strchr(switches->log, NO_ANSI_FORM) != NULL)
        switches->log[0] = '\0';
    return CommandLine;
}

void ShowUsage(void)
{
    static const char kUsage[] = SETUP_USAGE_TEXT;
    /* no one may be at the screen of a silent run */
    if (!SilentRun) {
        SetupBox(NULL, kUsage, MB_ICONINFORMATION);
        return;
    }
    for (const char *line = kUsage; *line != '\0';) {
        const char *end = strchr(line, '\r');
        int length = end != NULL ? (int)(end - line) : (int)strlen(line);
        LogLine(LOG_HELP "%.*s", length, line);
        line += length + (end != NULL ? 2 : 0);
    }
}

int RunSilently(const struct SetupSwitches *switches)
{
    int end = DecideRun(switches->uninstall);
    return end != RunDone ? end
                          : RunAction(NULL, switches->uninstall,
                                      switches->hasFolder ? switches->folder : NULL);
}
