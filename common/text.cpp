/*
 * Byte-level text and path routines (see text.h). Platform-free: the only
 * thing that depends on the system is IsLeadByte, defined per platform.
 */
#include "text.h"

#include <string.h>

const char *NextChar(const char *p)
{
    if (*p == '\0')
        return p;
    if (IsLeadByte((unsigned char)*p) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

const char *LastCharacter(const char *text)
{
    const char *last = NULL;
    for (const char *p = text; *p != '\0'; p = NextChar(p))
        last = p;
    return last;
}

int EndsWithBackslash(const char *path)
{
    const char *last = LastCharacter(path);
    return last != NULL && *last == '\\';
}

static int IsCutCharacter(const char *last)
{
    return last != NULL && IsLeadByte((unsigned char)*last) && last[1] == '\0';
}

void DropCutCharacter(char *text)
{
    char *last = (char *)LastCharacter(text);
    if (IsCutCharacter(last))
        *last = '\0';
}

const char *FindBackslash(const char *p)
{
    for (; *p != '\0'; p = NextChar(p)) {
        if (*p == '\\')
            return p;
    }
    return NULL;
}

int AppendBackslash(char *path, size_t size)
{
    const char *last = LastCharacter(path);
    if (last != NULL && *last == '\\')
        return 1;
    /* a lead byte without its trail would take the backslash as its
       second byte: the path would still not end in a separator */
    if (IsCutCharacter(last))
        return 0;
    size_t length = strlen(path);
    if (length + 2 > size)
        return 0;
    path[length] = '\\';
    path[length + 1] = '\0';
    return 1;
}

int JoinText(char *out, size_t size, const char *first, const char *second)
{
    size_t a = strlen(first), b = strlen(second);
    if (size == 0)
        return 0;
    if (a + b + 1 > size) {
        out[0] = '\0';
        return 0;
    }
    memmove(out, first, a);
    memmove(out + a, second, b);
    out[a + b] = '\0';
    return 1;
}

int CopyText(char *out, size_t size, const char *text)
{
    return JoinText(out, size, text, "");
}

/* p past one name of a UNC path (a server or a share), or NULL when
   there is no name before the next backslash or the end */
static const char *SkipUncName(const char *p)
{
    const char *start = p;
    while (*p != '\0' && *p != '\\')
        p = NextChar(p);
    return p != start ? p : NULL;
}

int IsAbsoluteFolder(const char *path)
{
    char drive = path[0];
    if (((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) &&
        path[1] == ':' && path[2] == '\\')
        return 1;
    if (path[0] != '\\' || path[1] != '\\')
        return 0;
    const char *server = path + 2;
    const char *end = SkipUncName(server);
    /* "\\?\" and "\\.\" name devices and long paths, not a server */
    if (end == NULL || *end != '\\' ||
        (end - server == 1 && (*server == '?' || *server == '.')))
        return 0;
    end = SkipUncName(end + 1);
    return end != NULL && (*end == '\0' || *end == '\\');
}

const char *LastPathComponent(const char *path)
{
    const char *component = path;
    for (const char *p = path; *p != '\0'; p = NextChar(p)) {
        if (*p == '\\')
            component = p + 1;
    }
    return component;
}

int SplitModuleFolder(const char *modulePath, char *folder, size_t size)
{
    const size_t kDriveMax = 2, kDirMax = 255;
    const char *dirStart = modulePath;
    const char *afterLast = NULL;

    if (size == 0)
        return 0;
    memset(folder, 0, size);

    if (modulePath[0] != '\0' && modulePath[1] == ':')
        dirStart = modulePath + kDriveMax;
    for (const char *p = dirStart; *p != '\0'; p = NextChar(p)) {
        if (*p == '\\' || *p == '/')
            afterLast = p + 1;
    }
    if (afterLast == NULL)
        return 0;
    size_t driveLength = (size_t)(dirStart - modulePath);
    size_t dirLength = (size_t)(afterLast - dirStart);
    if (dirLength > kDirMax || driveLength + dirLength + 1 > size)
        return 0;
    memcpy(folder, modulePath, driveLength + dirLength);
    return 1;
}

static int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

const char *SkipProgramName(const char *commandLine)
{
    const char *p = commandLine;
    while (IsBlank(*p))
        p++;
    if (*p == '"') {
        p++;
        while (*p != '\0' && *p != '"')
            p = NextChar(p);
        if (*p == '"')
            p++;
    } else {
        while (*p != '\0' && !IsBlank(*p))
            p = NextChar(p);
    }
    return p;
}

int NextArgument(const char **cursor, char *out, size_t size, size_t *length)
{
    const char *p = *cursor;
    size_t n = 0;
    int quoted = 0;

    while (IsBlank(*p))
        p++;
    if (*p == '\0') {
        *cursor = p;
        if (size > 0)
            out[0] = '\0';
        *length = 0;
        return 0;
    }
    while (*p != '\0' && (quoted || !IsBlank(*p))) {
        if (*p == '\\' && p[1] == '"') {
            if (n + 1 < size)
                out[n] = '"';
            n++;
            p += 2;
        } else if (*p == '"') {
            quoted = !quoted;
            p++;
        } else {
            const char *next = NextChar(p);
            for (; p < next; p++) {
                if (n + 1 < size)
                    out[n] = *p;
                n++;
            }
        }
    }
    if (size > 0)
        out[n < size ? n : size - 1] = '\0';
    *length = n;
    *cursor = p;
    return 1;
}

size_t ComposeKeywordRecord(char *out, size_t size, const char *keyword,
                            const char *target)
{
    size_t k = strlen(keyword), t = strlen(target);
    size_t total = k + 2 + t + 4;
    if (size == 0)
        return 0;
    if (total + 1 > size) {
        out[0] = '\0';
        return 0;
    }
    memcpy(out, keyword, k);
    memcpy(out + k, "\r\n", 2);
    memcpy(out + k + 2, target, t);
    memcpy(out + k + 2 + t, "\r\n\r\n", 4);
    out[total] = '\0';
    return total;
}
