/*
 * Setup's command line (see switches.h). Words are cut at spaces and
 * tabs; a double-byte character is taken whole.
 */
#include "switches.h"

#include <string.h>

#include "../common/text.h"

static int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

/* 1 when text starts with prefix, ASCII letters in either case */
static int StartsWithSwitch(const char *text, const char *prefix)
{
    for (; *prefix != '\0'; text++, prefix++) {
        char c = *text;
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
        if (c != *prefix)
            return 0;
    }
    return 1;
}

/* the end of the word at p: the next blank, or the end of the line */
static const char *WordEnd(const char *p)
{
    while (*p != '\0' && !IsBlank(*p))
        p = NextChar(p);
    return p;
}

/* text from start to end into out; an empty out when it does not fit */
static void TakeValue(const char *start, const char *end, char *out)
{
    size_t length = (size_t)(end - start);
    if (length + 1 > SWITCH_PATH_SIZE)
        length = 0;
    memcpy(out, start, length);
    out[length] = '\0';
}

/* the value after "/LOG=": quoted to the next quote, else one word;
   returns where the word ends */
static const char *TakeLog(const char *value, char *out)
{
    if (*value != '"') {
        const char *end = WordEnd(value);
        TakeValue(value, end, out);
        return end;
    }
    const char *start = value + 1, *end = start;
    while (*end != '\0' && *end != '"')
        end = NextChar(end);
    TakeValue(start, end, out);
    return *end == '"' ? end + 1 : end;
}

/* the rest of the line after "/D=", without trailing blanks and without
   a pair of quotes around it */
static void TakeFolder(const char *value, char *out)
{
    const char *end = value + strlen(value);
    while (end > value && IsBlank(end[-1]))
        end--;
    if (end - value >= 2 && *value == '"' && end[-1] == '"') {
        value++;
        end--;
    }
    TakeValue(value, end, out);
}

void ParseSetupSwitches(const char *arguments, struct SetupSwitches *out)
{
    memset(out, 0, sizeof(*out));
    const char *p = arguments;
    for (;;) {
        while (IsBlank(*p))
            p++;
        if (*p == '\0')
            return;
        if (StartsWithSwitch(p, "/D=")) {
            out->hasFolder = 1;
            TakeFolder(p + 3, out->folder);
            return;
        }
        const char *end = WordEnd(p);
        size_t length = (size_t)(end - p);
        if (StartsWithSwitch(p, "/LOG=")) {
            end = TakeLog(p + 5, out->log);
        } else if (length == 2 && StartsWithSwitch(p, "/S")) {
            out->silent = 1;
        } else if (length == 10 && StartsWithSwitch(p, "/UNINSTALL")) {
            out->uninstall = 1;
        } else if (length == 2 && StartsWithSwitch(p, "/?")) {
            out->help = 1;
        }
        p = end;
    }
}
