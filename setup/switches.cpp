/*
 * Setup's command line (see switches.h): words at blanks, quoted
 * stretches kept whole and their quotes dropped, a double-byte character
 * taken whole.
 */
#include "switches.h"

#include <string.h>

#include "../common/text.h"

enum WordKind { WordOther, WordSilent, WordUninstall, WordHelp, WordNoRestart, WordFolder, WordLog };

/* the longest switch before its value, "/LOG=" */
static const size_t kPrefixMax = 5;

static int IsWordBlank(char c)
{
    return c == ' ' || c == '\t';
}

static char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

/* 1 when the word of length bytes starts with name, ASCII letters in
   either case; exactly when the whole word must be the name. Only the
   name's bytes of the word are read */
static int IsSwitch(const char *word, size_t length, const char *name, int exactly)
{
    size_t n = strlen(name);
    if (length < n || (exactly && length != n))
        return 0;
    for (size_t i = 0; i < n; i++) {
        if (Upper(word[i]) != name[i])
            return 0;
    }
    return 1;
}

static int Classify(const char *word, size_t length)
{
    if (IsSwitch(word, length, "/S", 1))
        return WordSilent;
    if (IsSwitch(word, length, "/UNINSTALL", 1))
        return WordUninstall;
    if (IsSwitch(word, length, "/?", 1))
        return WordHelp;
    if (IsSwitch(word, length, "/NORESTART", 1))
        return WordNoRestart;
    if (IsSwitch(word, length, "/D=", 0))
        return WordFolder;
    if (IsSwitch(word, length, "/LOG=", 0))
        return WordLog;
    return WordOther;
}

/* where the word at p ends: the first blank outside a quoted stretch, or
   the end of the line; *quoted says whether it holds a quote */
static const char *WordEnd(const char *p, int *quoted)
{
    int inQuotes = 0;
    *quoted = 0;
    while (*p != '\0' && (inQuotes || !IsWordBlank(*p))) {
        if (*p == '"') {
            inQuotes = !inQuotes;
            *quoted = 1;
            p++;
        } else {
            p = NextChar(p);
        }
    }
    return p;
}

/* the bytes from start to end without their quotes, as much as fits into
   out (size bytes, terminated); their whole length */
static size_t TakeWord(const char *start, const char *end, char *out, size_t size)
{
    size_t n = 0;
    for (const char *p = start; p < end; p++) {
        if (*p == '"')
            continue;
        if (n + 1 < size)
            out[n] = *p;
        n++;
    }
    out[n < size ? n : size - 1] = '\0';
    return n;
}

/* a value of length bytes into out, or empty when it does not fit */
static void TakeValue(char *out, const char *value, size_t length)
{
    if (length + 1 > SWITCH_PATH_SIZE)
        length = 0;
    memcpy(out, value, length);
    out[length] = '\0';
}

/* the first reason the line is not understood; later ones are not kept */
static void NotUnderstood(struct SetupSwitches *out, const char *start, const char *end)
{
    if (!out->understood)
        return;
    out->understood = 0;
    TakeWord(start, end, out->notUnderstood, sizeof(out->notUnderstood));
}

/* a switch after a blank in a folder: a line that means two switches but
   reads as one folder, however it was quoted, is not understood */
static void RefuseSwitchInFolder(struct SetupSwitches *out)
{
    for (const char *p = out->folder; *p != '\0'; p = NextChar(p)) {
        if (!IsWordBlank(*p) || *(p + 1) == '\0' || IsWordBlank(p[1]))
            continue;
        int quoted = 0;
        const char *wordEnd = WordEnd(p + 1, &quoted);
        if (Classify(p + 1, (size_t)(wordEnd - p - 1)) != WordOther)
            NotUnderstood(out, p + 1, wordEnd);
    }
}

/* the value of an unquoted /D=: the rest of the line from value, without
   trailing blanks and quotes. Returns the end of the line */
static const char *TakeRestAsFolder(const char *value, struct SetupSwitches *out)
{
    const char *end = value + strlen(value);
    while (end > value && IsWordBlank(end[-1]))
        end--;
    /* quotes only ever group, here too */
    out->folderLength = TakeWord(value, end, out->folder, sizeof(out->folder));
    if (out->folderLength + 1 > sizeof(out->folder))
        out->folder[0] = '\0';
    return value + strlen(value);
}

void ParseSetupSwitches(const char *arguments, struct SetupSwitches *out)
{
    memset(out, 0, sizeof(*out));
    out->understood = 1;
    /* a switch and its value: the prefix and MAX_PATH bytes */
    char word[kPrefixMax + SWITCH_PATH_SIZE + 1];
    const char *p = arguments;
    for (;;) {
        while (IsWordBlank(*p))
            p++;
        if (*p == '\0')
            break;
        int quoted = 0;
        const char *end = WordEnd(p, &quoted);
        size_t length = TakeWord(p, end, word, sizeof(word));
        int kind = Classify(word, length);
        if (kind == WordFolder || kind == WordLog) {
            size_t prefix = kind == WordFolder ? 3 : 5;
            int repeated = kind == WordFolder ? out->hasFolder : out->hasLog;
            if (kind == WordFolder && !quoted && !repeated) {
                end = TakeRestAsFolder(p + prefix, out);
                length = prefix + out->folderLength;
            } else if (kind == WordFolder) {
                out->folderLength = length - prefix;
                TakeValue(out->folder, word + prefix, length - prefix);
            } else {
                TakeValue(out->log, word + prefix, length - prefix);
            }
            if (kind == WordFolder)
                RefuseSwitchInFolder(out);
            out->hasFolder |= kind == WordFolder;
            out->hasLog |= kind == WordLog;
            if (length == prefix || repeated)
                NotUnderstood(out, p, end);
        } else if (kind == WordSilent) {
            out->silent = 1;
        } else if (kind == WordUninstall) {
            out->uninstall = 1;
        } else if (kind == WordHelp) {
            out->help = 1;
        } else if (kind == WordNoRestart) {
            out->noRestart = 1;
        } else {
            NotUnderstood(out, p, end);
        }
        p = end;
    }
    /* the folder of an install cannot go with an uninstall */
    static const char kUninstall[] = "/UNINSTALL";
    if (out->hasFolder && out->uninstall)
        NotUnderstood(out, kUninstall, kUninstall + sizeof(kUninstall) - 1);
}
