/*
 * The journal reader on anything a folder may hold where the journal
 * should be: it never reads past the input, accepts only a whole journal
 * (known states, plain file names), and what it accepts the writer makes
 * into a journal read back the same, and for the current format into
 * the very bytes read, so that a journal cut or changed anywhere is
 * refused.
 */
#include <string>

#include "fuzz_util.h"
#include "setup/files.h"
#include "setup/journal.h"

/* 1 for a plain file name, checked otherwise than the reader does */
static int IsPlainName(const char *name)
{
    size_t n = strnlen(name, JOURNAL_NAME_SIZE);
    for (size_t i = 0; i < n; i++) {
        if (name[i] < ' ' || name[i] > '~' || strchr("\\/:*?\"<>|", name[i]) != NULL)
            return 0;
    }
    return n > 0 && n < JOURNAL_NAME_SIZE && name[n - 1] != '.' && name[n - 1] != ' ';
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    /* a copy of exactly the input's size, so that a read past it is seen */
    std::string input((const char *)data, size);
    char *bytes = new char[size == 0 ? 1 : size];
    memcpy(bytes, input.data(), size);
    struct SwapJournal table = {}, journal, again;
    table.count = kProductFileCount;
    for (size_t i = 0; i < kProductFileCount; i++)
        snprintf(table.names[i], JOURNAL_NAME_SIZE, "%s", kProductFiles[i].name);
    if (ParseJournal(bytes, size, &table, &journal)) {
        char out[JOURNAL_MAX_SIZE];
        size_t n = FormatJournal(&journal, out, sizeof(out));
        FUZZ_CHECK(n > 0);
        /* the earlier format is written as the current one */
        FUZZ_CHECK(std::string(out, n) == input || input[JOURNAL_FORMAT_AT] != JOURNAL_FORMAT);
        for (size_t i = 0; i < journal.count; i++) {
            char row = journal.rows[i];
            FUZZ_CHECK(row == RowOutside || row == RowReplaced || row == RowAdded ||
                       row == RowRemoved);
            FUZZ_CHECK(IsPlainName(journal.names[i]));
        }
        FUZZ_CHECK(ParseJournal(out, n, &table, &again) &&
                   memcmp(&again, &journal, sizeof(journal)) == 0);
        /* one byte less is no journal */
        FUZZ_CHECK(!ParseJournal(bytes, size - 1, &table, &journal));
    }
    delete[] bytes;
    return 0;
}
