/*
 * Wide text into the ANSI code page (932 on the systems the product is
 * made for), refusing what it cannot hold. The ANSI interface would put a
 * look-alike or "?" in place of such a character: a file named a¥b.txt
 * would arrive as a\b.txt, another path one folder deeper.
 */
#ifndef QUORVANE_COMMON_ANSI_H
#define QUORVANE_COMMON_ANSI_H

#include <windows.h>

/* wide as ANSI text in out (size bytes, terminated); 0 and an empty out
   when a character has no ANSI form or the text does not fit */
int WideToAnsi(const wchar_t *wide, char *out, int size);

/* the process's command line (GetCommandLineW) as ANSI text on the
   process heap, for HeapFree; NULL when a character of it has no ANSI
   form, or when there is no memory for it (*noMemory then says so) */
char *StrictAnsiCommandLine(int *noMemory);

/* stands for a character without an ANSI form: a control character no
   file name may hold */
#define NO_ANSI_FORM '\x01'
/* wide as ANSI text in text (size bytes, twice wide's length and one
   more are enough), with NO_ANSI_FORM for each character that has no
   ANSI form, so that one such character spoils only the word it is in;
   0 and an empty text when it does not fit */
int MarkedAnsiText(const wchar_t *wide, char *text, size_t size);

#endif
