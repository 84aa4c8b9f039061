/*
 * Small checks shared by the fuzz targets: a property that fails aborts
 * with a message, so libFuzzer keeps the input as a finding.
 */
#ifndef QUORVANE_TESTS_FUZZ_UTIL_H
#define QUORVANE_TESTS_FUZZ_UTIL_H

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "common/text.h"

#define FUZZ_CHECK(condition)                                              \
    do {                                                                   \
        if (!(condition)) {                                                \
            fprintf(stderr, "property failed: %s (%s:%d)\n", #condition,   \
                    __FILE__, __LINE__);                                   \
            abort();                                                       \
        }                                                                  \
    } while (0)

/* the input as a NUL-terminated string, cut at its first NUL */
static inline std::string FuzzText(const unsigned char *data, size_t size)
{
    std::string text((const char *)data, size);
    return text.substr(0, strlen(text.c_str()));
}

/* 1 when p is where a character of s starts (or its end) */
static inline int AtCharBoundary(const char *s, const char *p)
{
    const char *q = s;
    while (q < p && *q != '\0')
        q = NextChar(q);
    return q == p;
}

/* 1 when the last character of s is a lead byte without its trail */
static inline int EndsWithLoneLead(const char *s)
{
    size_t n = strlen(s);
    return n > 0 && IsLeadByte((unsigned char)s[n - 1]) && AtCharBoundary(s, s + n - 1);
}

#endif
