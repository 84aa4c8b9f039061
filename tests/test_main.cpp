/*
 * Entry of every test program: the texts under test are code page 932
 * bytes, so a run under any other ANSI code page stops at once.
 */
#include <windows.h>
#include <stdio.h>

#include <gtest/gtest.h>

/* GoogleTest copies every failure to OutputDebugStringA. Under qemu-user
   (machines without 32-bit emulation) Wine cannot unwind the exception
   that call raises, and the run would die at its first failure; the copy
   only matters inside a debugger, so the test programs import a quiet one. */
static void WINAPI QuietDebugString(LPCSTR) {}
extern "C" void(WINAPI *QuietDebugStringImport)(LPCSTR) __asm__(
    "__imp__OutputDebugStringA@4");
void(WINAPI *QuietDebugStringImport)(LPCSTR) = QuietDebugString;

int main(int argc, char **argv)
{
    UINT acp = GetACP();
    if (acp != 932) {
        fprintf(stderr,
                "The ANSI code page is %u, not 932: run the tests with "
                "LANG=ja_JP.UTF-8 and the ja_JP.UTF-8 locale generated "
                "(scripts/bootstrap, scripts/wine-run).\n",
                acp);
        return 2;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
