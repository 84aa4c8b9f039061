/*
 * The lead-byte test on Windows: the ANSI code page of the running system
 * (932 on the systems the product is made for), the same rule the shell
 * and the file system apply to the paths these programs handle.
 */
#include <windows.h>

#include "text.h"

int IsLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c) ? 1 : 0;
}
