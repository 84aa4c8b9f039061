/*
 * The journal's bytes (see journal.h), written and read strictly.
 */
#include "journal.h"

#include <string.h>

static int IsRow(char c)
{
    return c == RowOutside || c == RowReplaced || c == RowAdded || c == RowRemoved;
}

/* 1 when the operation and the first count rows of journal may be
   written */
static int IsWhole(const struct SwapJournal *journal, size_t count)
{
    if (count > JOURNAL_MAX_ROWS || journal->version > 0xFFFFFFFFul ||
        (journal->operation != JournalChange && journal->operation != JournalRemove))
        return 0;
    for (size_t i = 0; i < count; i++) {
        if (!IsRow(journal->rows[i]))
            return 0;
    }
    return 1;
}

size_t FormatJournal(const struct SwapJournal *journal, char *out, size_t size)
{
    size_t length = JOURNAL_SIZE(journal->count);
    if (length > size || !IsWhole(journal, journal->count))
        return 0;
    memcpy(out, JOURNAL_MARKER, 6);
    out[6] = JOURNAL_FORMAT;
    out[7] = journal->operation;
    for (int i = 0; i < 4; i++)
        out[8 + i] = (char)(journal->version >> (8 * i));
    out[12] = (char)journal->count;
    memcpy(out + 13, journal->rows, journal->count);
    memcpy(out + 13 + journal->count, "\r\n", 2);
    return length;
}

int ParseJournal(const char *data, size_t size, size_t rows, struct SwapJournal *out)
{
    memset(out, 0, sizeof(*out));
    if (rows > JOURNAL_MAX_ROWS || size != JOURNAL_SIZE(rows) ||
        memcmp(data, JOURNAL_MARKER, 6) != 0 || data[6] != JOURNAL_FORMAT ||
        (unsigned char)data[12] != rows || memcmp(data + 13 + rows, "\r\n", 2) != 0)
        return 0;
    out->operation = data[7];
    for (int i = 0; i < 4; i++)
        out->version |= (unsigned long)(unsigned char)data[8 + i] << (8 * i);
    out->count = rows;
    memcpy(out->rows, data + 13, rows);
    return IsWhole(out, rows);
}
