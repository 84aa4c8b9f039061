/*
 * The split of the module path: the folder is a prefix of the path that
 * ends in a separator character, at most the drive and 255 bytes of
 * directory, the rest of the buffer zero; or nothing at all.
 */
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    std::string path = FuzzText(data, size);
    char folder[260 + 8];
    memset(folder, 'Z', sizeof(folder));
    int ok = SplitModuleFolder(path.c_str(), folder, 260);
    for (size_t i = 260; i < sizeof(folder); i++)
        FUZZ_CHECK(folder[i] == 'Z');
    size_t n = strnlen(folder, 260);
    FUZZ_CHECK(n < 260);
    for (size_t i = n; i < 260; i++)
        FUZZ_CHECK(folder[i] == '\0');
    if (!ok) {
        FUZZ_CHECK(n == 0);
        return 0;
    }
    FUZZ_CHECK(n > 0 && n <= 257);
    FUZZ_CHECK(path.compare(0, n, folder) == 0);
    const char *s = path.c_str();
    FUZZ_CHECK(s[n - 1] == '\\' || s[n - 1] == '/');
    FUZZ_CHECK(AtCharBoundary(s, s + n - 1));
    /* no separator character after the cut */
    for (const char *p = s + n; *p != '\0'; p = NextChar(p))
        FUZZ_CHECK(*p != '\\' && *p != '/');
    return 0;
}
