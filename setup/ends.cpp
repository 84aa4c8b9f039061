/*
 * The boxes of a run and its ends (see ends.h). What a run changed is put
 * back by the sequence that changed it, before its box says so: an end
 * only logs and exits.
 */
#include "ends.h"

#include <stdlib.h>
#include <string.h>

#include "log.h"
#include "setup.h"
#include "texts.h"
#include "../common/text.h"

int SetupBox(HWND owner, const char *text, UINT type)
{
    LogLine(LOG_BOX "%s", text);
    if (!SilentRun)
        return MessageBoxA(owner, text, SETUP_CAPTION, type);
    /* no one to ask: the folder a deployment tool named is created, and
       nothing is waited for */
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        return IDYES;
    case MB_RETRYCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

/* a box's text: the two texts around a path, and the path */
#define BOX_TEXT_SIZE (1024 + MAX_PATH)

int SetupPathBox(HWND owner, const char *before, const char *path, const char *after, UINT type)
{
    char text[BOX_TEXT_SIZE];
    JoinText(text, sizeof(text), before, path);
    JoinText(text, sizeof(text), text, after);
    return SetupBox(owner, text, type);
}

int RunningBox(HWND owner)
{
    SetupBox(owner, SETUP_RUNNING_TEXT, MB_ICONERROR);
    return RunBusy;
}

static const struct EndRow {
    signed char interactive;
    char fatalBox;
    short silent;
} kEnds[] = {
#define RUN_END_ROW(name, interactive, silent, fatalBox, meaning) {interactive, fatalBox, silent},
    RUN_ENDS(RUN_END_ROW)
#undef RUN_END_ROW
};
/* what each end means, one after another in their order */
static const char kMeanings[] =
#define RUN_END_MEANING(name, interactive, silent, fatalBox, meaning) meaning "\0"
    RUN_ENDS(RUN_END_MEANING)
#undef RUN_END_MEANING
    ;

int ExitCodeOf(int end)
{
    return SilentRun ? kEnds[end].silent : kEnds[end].interactive;
}

int EndRun(int end)
{
    if (kEnds[end].fatalBox)
        SetupBox(NULL, SETUP_FATAL_TEXT, MB_ICONERROR);
    int code = ExitCodeOf(end);
    const char *meaning = kMeanings;
    for (int i = 0; i < end; i++)
        meaning += strlen(meaning) + 1;
    LogLine(LOG_END "%d (%s)", code, meaning);
    return code;
}

void ExitRun(int end)
{
    /* through the runtime's own exit, as a return from WinMain would */
    exit(EndRun(end));
}
