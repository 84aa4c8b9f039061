/*
 * First test of every run: Wine must run with the ANSI code page 932, or
 * every comparison of Japanese text would fail for the wrong reason.
 */
#include <windows.h>
#include <stdio.h>

int main()
{
    UINT acp = GetACP();
    if (acp != 932) {
        printf("Wine's ANSI code page is %u, not 932. Generate the "
               "ja_JP.UTF-8 locale (scripts/bootstrap) and run Wine with "
               "LANG=ja_JP.UTF-8 (scripts/wine-run). Stopping.\n",
               acp);
        return 1;
    }
    printf("ANSI code page 932\n");
    return 0;
}
