/*
 * The stand-in main program, started and asked for its counts (see
 * standin.h).
 */
#include "standin.h"

#include "../../common/names.h"

#include "../standin/protocol.h"

int StartStandIn(Program *program, const char *arguments)
{
    return StartStandInAs(program, BinFile("QuorvaneStandIn.exe"), arguments);
}

int StartStandInAs(Program *program, const std::string &exe, const char *arguments)
{
    /* out of sight: its window would cover the boxes the tests read */
    std::string line = std::string("--hidden ") + arguments;
    if (!StartProgram(program, exe, line, NULL))
        return 0;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kWaitMs) {
        HWND hwnd = FindWindowA(STANDIN_CLASS, NULL);
        if (hwnd != NULL) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == program->pid)
                return 1;
        }
        if (!IsRunning(program))
            return 0;
        Sleep(50);
    }
    return 0;
}

int RecordFolderOpenings()
{
    std::string command = "\"" + BinFile("QuorvaneStandIn.exe") + "\" --opened %1";
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Folder\\shell\\explore\\command",
                        0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS)
        return 0;
    LONG status = RegSetValueExA(key, NULL, 0, REG_SZ, (const BYTE *)command.c_str(),
                                 (DWORD)command.size() + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::string OpenedFolder(const Program *program)
{
    HWND window = WaitForChildWindow(program);
    char className[64] = "";
    if (window == NULL || !GetClassNameA(window, className, sizeof(className)) ||
        lstrcmpA(className, STANDIN_OPENED_CLASS) != 0)
        return "<no window>";
    char text[MAX_PATH + 16] = "";
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_BLOCK, 5000, NULL);
    return text;
}

HWND StandInWindow()
{
    return FindWindowA(STANDIN_CLASS, NULL);
}

int ReadBroadcasts(BroadcastCount *result)
{
    HWND hwnd = StandInWindow();
    DWORD_PTR count = 0, nonZero = 0, posted = 0;
    if (hwnd == NULL ||
        !SendMessageTimeoutA(hwnd, STANDIN_QUERY_COUNT, 0, 0, SMTO_BLOCK, 5000, &count) ||
        !SendMessageTimeoutA(hwnd, STANDIN_QUERY_NONZERO, 0, 0, SMTO_BLOCK, 5000, &nonZero) ||
        !SendMessageTimeoutA(hwnd, STANDIN_QUERY_POSTED, 0, 0, SMTO_BLOCK, 5000, &posted))
        return 0;
    result->count = (int)count;
    result->nonZeroParams = (int)nonZero;
    result->posted = (int)posted;
    return 1;
}
