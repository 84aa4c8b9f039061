/*
 * The programs' entry, in place of the C runtime's start-up code. Neither
 * program uses anything the runtime sets up before WinMain (arguments,
 * environment, stdio, thread-local storage, static constructors), and
 * without it each program is several kilobytes smaller. The process ends
 * through the runtime's exit with WinMain's result, as it would after the
 * runtime's own start-up.
 */
#include <windows.h>
#include <stdlib.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

/* the program's entry, which the linker is told to start at: it stays
   when the program is compiled as a whole */
extern "C" __attribute__((externally_visible)) void WinMainCRTStartup(void)
{
    /* neither program reads the command line or the show state WinMain
       is given: Helper splits GetCommandLineW itself, Setup reads its
       switches the same way */
    exit(WinMain(GetModuleHandleA(NULL), NULL, (LPSTR)"", SW_SHOWDEFAULT));
}
