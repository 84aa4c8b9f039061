/*
 * The path routines: LastPathComponent points inside its argument at a
 * character start, after which no backslash character follows; the
 * trailing-backslash test and append agree; the folder-chain walk visits
 * only character-boundary backslashes; the last character starts at a
 * character boundary and only a lone lead byte there is ever cut; joins
 * never pass their size.
 */
#include <vector>

#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    if (size < 1)
        return 0;
    size_t limit = data[0] % 64 + 1; /* a small buffer size to join into */
    std::string path = FuzzText(data + 1, size - 1);
    const char *s = path.c_str();

    const char *component = LastPathComponent(s);
    FUZZ_CHECK(component >= s && component <= s + path.size());
    FUZZ_CHECK(AtCharBoundary(s, component));
    FUZZ_CHECK(FindBackslash(component) == NULL);
    FUZZ_CHECK(component == s || component[-1] == '\\');

    /* the chain of prefixes that folder creation walks */
    const char *previous = NULL;
    int separators = 0;
    for (const char *p = FindBackslash(s); p != NULL; p = FindBackslash(p + 1)) {
        FUZZ_CHECK(*p == '\\' && AtCharBoundary(s, p));
        FUZZ_CHECK(previous == NULL || p > previous);
        previous = p;
        separators++;
    }
    FUZZ_CHECK((separators > 0) == (component != s));
    FUZZ_CHECK(EndsWithBackslash(s) == (*component == '\0' && component != s));

    const char *last = LastCharacter(s);
    FUZZ_CHECK((last == NULL) == path.empty());
    if (last != NULL)
        FUZZ_CHECK(AtCharBoundary(s, last) && NextChar(last) == s + path.size());
    std::string cut = path;
    DropCutCharacter(&cut[0]);
    cut.resize(strlen(cut.c_str()));
    FUZZ_CHECK(cut == (EndsWithLoneLead(s) ? path.substr(0, path.size() - 1) : path));
    FUZZ_CHECK(!EndsWithLoneLead(cut.c_str()));

    std::vector<char> buffer(limit + 8, 'Z');
    int fits = CopyText(buffer.data(), limit, s);
    FUZZ_CHECK(fits == (path.size() + 1 <= limit));
    if (fits) {
        size_t copied = path.size();
        int appended = AppendBackslash(buffer.data(), limit);
        if (appended) {
            FUZZ_CHECK(EndsWithBackslash(buffer.data()));
            size_t n = strlen(buffer.data());
            FUZZ_CHECK(n == copied || n == copied + 1);
            FUZZ_CHECK((n == copied) == (EndsWithBackslash(s) != 0));
        } else {
            /* no room, or a lone lead byte at the end */
            FUZZ_CHECK(strcmp(buffer.data(), s) == 0);
            FUZZ_CHECK(path.size() + 2 > limit || EndsWithLoneLead(s));
        }
        if (EndsWithLoneLead(s))
            FUZZ_CHECK(!appended);
    } else {
        FUZZ_CHECK(buffer[0] == '\0');
    }
    for (size_t i = limit; i < buffer.size(); i++)
        FUZZ_CHECK(buffer[i] == 'Z');

    std::string half = path.substr(path.size() / 2);
    std::fill(buffer.begin(), buffer.end(), 'Z');
    int joined = JoinText(buffer.data(), limit, s, half.c_str());
    FUZZ_CHECK(joined == (path.size() + half.size() + 1 <= limit));
    if (joined)
        FUZZ_CHECK(path + half == buffer.data());
    for (size_t i = limit; i < buffer.size(); i++)
        FUZZ_CHECK(buffer[i] == 'Z');
    return 0;
}
