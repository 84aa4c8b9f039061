/*
 * Byte-level text and path routines shared by Setup and Helper. Paths are
 * ANSI byte strings (code page 932 on the systems the product is made for),
 * so every routine that looks at single bytes steps over a double-byte
 * character whole: the second byte of 表, ソ or 能 is 0x5C and is never a
 * backslash. Nothing here needs windows.h, so the same code also builds
 * natively for sanitizer and fuzz runs; only IsLeadByte differs.
 *
 * Buffers are always passed with their size, and nothing is written past
 * the end. A join or copy that cannot fit its result fails with 0 and
 * leaves an empty string; AppendBackslash leaves the path as it was; the
 * splitter reports an argument's whole length beside the part that fit,
 * so that its caller sees the cut.
 */
#ifndef QUORVANE_COMMON_TEXT_H
#define QUORVANE_COMMON_TEXT_H

#include <stddef.h>

/* 1 when c starts a double-byte character of the ANSI code page */
int IsLeadByte(unsigned char c);

/* the character after the one at p (p itself at the terminator); a lead
   byte directly before the terminator counts as a character of its own */
const char *NextChar(const char *p);

/* where the last character of text starts, or NULL when text is empty */
const char *LastCharacter(const char *text);

/* 1 when the last character of path is a backslash */
int EndsWithBackslash(const char *path);

/* drops a lead byte without its trail from the end of text: a control
   that hands out a text cut at a byte count may leave half a character
   there, and that half would take whatever is written next with it */
void DropCutCharacter(char *text);

/* the next backslash character at or after p, or NULL */
const char *FindBackslash(const char *p);

/* appends a backslash unless path already ends with one; 0 when the
   result would not fit in size bytes or the path ends in a lead byte
   without its trail (path is then left unchanged) */
int AppendBackslash(char *path, size_t size);

/* out = first + second; 0 and an empty out when it does not fit */
int JoinText(char *out, size_t size, const char *first, const char *second);

/* copies text; 0 and an empty out when it does not fit */
int CopyText(char *out, size_t size, const char *text);

/*
 * 1 when path starts at a drive root ("X:\") or a UNC share ("\\server\share"
 * followed by a backslash or the end): a folder that means the same
 * whatever the current directory and drive are. Relative forms ("abc",
 * "..\x", "D:x", "\x") and the device and long-path forms ("\\?\...",
 * "\\.\...") are not.
 */
int IsAbsoluteFolder(const char *path);

/* the position after the last backslash of path, or path itself */
const char *LastPathComponent(const char *path);

/*
 * The folder part of a module path: the drive (a letter and a colon, at
 * most 2 bytes) and the directory from its first to its last separator,
 * both included (at most 255 bytes); '\' and '/' both separate. folder is
 * zero-filled over all of size first. Returns 0 with an empty folder when
 * the path has no separator or a part is longer than its limit.
 */
int SplitModuleFolder(const char *modulePath, char *folder, size_t size);

/*
 * One argument of a command line, after the program name has been skipped
 * with SkipProgramName. Arguments are separated by runs of spaces and tabs;
 * a double quote opens a quoted run that lasts to the next double quote or
 * to the end of the line, and both quotes are dropped; a backslash directly
 * followed by a double quote gives a literal double quote; every other
 * backslash is ordinary; a double-byte character is taken whole.
 *
 * Returns 0 when no argument is left. Otherwise writes as much of the
 * argument as fits (always terminated when size > 0), stores the argument's
 * full length in *length and moves *cursor past it.
 */
int NextArgument(const char **cursor, char *out, size_t size, size_t *length);

/* the command line after its first word, the program name */
const char *SkipProgramName(const char *commandLine);

/*
 * A keyword record: keyword, CR LF, target, CR LF, CR LF. Returns the
 * record's length, or 0 (and an empty out) when it does not fit.
 */
size_t ComposeKeywordRecord(char *out, size_t size, const char *keyword,
                            const char *target);

#endif
