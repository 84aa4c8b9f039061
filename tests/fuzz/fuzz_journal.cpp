/*
 * The journal reader on anything a folder may hold where the journal
 * should be: it never reads past the input, accepts only a whole journal
 * of the table's rows, and what it accepts is exactly what the writer
 * makes of it, so that a journal cut or changed anywhere is refused.
 */
#include <string>

#include "fuzz_util.h"
#include "setup/files.h"
#include "setup/journal.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    /* a copy of exactly the input's size, so that a read past it is seen */
    std::string input((const char *)data, size);
    char *bytes = new char[size == 0 ? 1 : size];
    memcpy(bytes, input.data(), size);
    struct SwapJournal journal;
    if (ParseJournal(bytes, size, kProductFileCount, &journal)) {
        char out[JOURNAL_SIZE(JOURNAL_MAX_ROWS)];
        size_t n = FormatJournal(&journal, out, sizeof(out));
        FUZZ_CHECK(n == size);
        FUZZ_CHECK(std::string(out, n) == input);
        FUZZ_CHECK(journal.count == kProductFileCount);
        /* one byte less is no journal */
        FUZZ_CHECK(!ParseJournal(bytes, size - 1, kProductFileCount, &journal));
    }
    delete[] bytes;
    return 0;
}
