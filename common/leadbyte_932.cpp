/*
 * The lead-byte test of code page 932 for native (non-Windows) builds of
 * the byte-level routines: the lead bytes are 0x81-0x9F and 0xE0-0xFC.
 */
#include "text.h"

int IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
