/*
 * A DLL for the DLL search tests: what an attacker would leave next to a
 * downloaded setup program.
 */
#include <windows.h>

extern "C" __declspec(dllexport) int PlantedMarker(void)
{
    return 42;
}
