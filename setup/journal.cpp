/*
 * The journal's bytes (see journal.h), written and read strictly.
 */
#include "journal.h"

#include <string.h>

static const char kHex[] = "0123456789ABCDEF";

static int IsRow(char c)
{
    return c == RowOutside || c == RowReplaced || c == RowAdded || c == RowRemoved;
}

static void PutHex(char *out, unsigned long value, int digits)
{
    for (int i = digits - 1; i >= 0; i--, value >>= 4)
        out[i] = kHex[value & 0xF];
}

/* digits uppercase hex digits of text; 0 when one is not */
static int GetHex(const char *text, int digits, unsigned long *value)
{
    *value = 0;
    for (int i = 0; i < digits; i++) {
        const char *digit = text[i] != '\0' ? strchr(kHex, text[i]) : NULL;
        if (digit == NULL)
            return 0;
        *value = *value << 4 | (unsigned long)(digit - kHex);
    }
    return 1;
}

size_t FormatJournal(const struct SwapJournal *journal, char *out, size_t size)
{
    size_t length = JOURNAL_SIZE(journal->count);
    if (journal->count > JOURNAL_MAX_ROWS || length > size || journal->version > 0xFFFFFFFFul ||
        (journal->operation != JournalChange && journal->operation != JournalRemove))
        return 0;
    for (size_t i = 0; i < journal->count; i++) {
        if (!IsRow(journal->rows[i]))
            return 0;
    }
    memcpy(out, JOURNAL_MARKER, 6);
    out[6] = JOURNAL_FORMAT;
    out[7] = journal->operation;
    PutHex(out + 8, journal->version, 8);
    PutHex(out + 16, (unsigned long)journal->count, 2);
    memcpy(out + 18, journal->rows, journal->count);
    memcpy(out + 18 + journal->count, "\r\n", 2);
    return length;
}

int ParseJournal(const char *data, size_t size, size_t rows, struct SwapJournal *out)
{
    unsigned long count = 0;
    memset(out, 0, sizeof(*out));
    if (rows > JOURNAL_MAX_ROWS || size != JOURNAL_SIZE(rows) ||
        memcmp(data, JOURNAL_MARKER, 6) != 0 || data[6] != JOURNAL_FORMAT ||
        (data[7] != JournalChange && data[7] != JournalRemove) ||
        !GetHex(data + 8, 8, &out->version) || !GetHex(data + 16, 2, &count) || count != rows ||
        memcmp(data + 18 + rows, "\r\n", 2) != 0)
        return 0;
    for (size_t i = 0; i < rows; i++) {
        if (!IsRow(data[18 + i]))
            return 0;
        out->rows[i] = data[18 + i];
    }
    out->operation = data[7];
    out->count = rows;
    return 1;
}
