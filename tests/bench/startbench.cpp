/*
 * Start-up benchmark: the time from CreateProcess to the program's dialog
 * being visible, for Setup (its wizard), Helper (its input box) and the
 * minimal dialog program built the same way, taken in turns so that the
 * machine's drift spreads over all three; and each one's peak working
 * set. Prints figures; asserts nothing.
 *
 *   startbench.exe [repetitions]
 */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/support.h"

namespace {

struct Subject {
    const char *name;
    std::string exe;
    std::string arguments;
    std::string currentDir;
    std::vector<double> ms;
    SIZE_T peakWorkingSet;
};

struct WindowSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindVisibleDialog(HWND hwnd, LPARAM lParam)
{
    WindowSearch *search = (WindowSearch *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char className[16];
    if (pid == search->pid && IsWindowVisible(hwnd) &&
        GetClassNameA(hwnd, className, sizeof(className)) && lstrcmpA(className, "#32770") == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

/* milliseconds from the start to a visible dialog, or -1 */
double TimeToDialog(Subject *subject)
{
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    std::string line = "\"" + subject->exe + "\"";
    if (!subject->arguments.empty())
        line += " " + subject->arguments;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi;

    QueryPerformanceCounter(&start);
    if (!CreateProcessA(subject->exe.c_str(), buffer.data(), NULL, NULL, FALSE, 0, NULL,
                        subject->currentDir.c_str(), &si, &pi))
        return -1;
    double ms = -1;
    for (;;) {
        WindowSearch search = {pi.dwProcessId, NULL};
        EnumWindows(FindVisibleDialog, (LPARAM)&search);
        QueryPerformanceCounter(&now);
        double elapsed = (double)(now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
        if (search.found != NULL) {
            ms = elapsed;
            break;
        }
        if (elapsed > kWaitMs || WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0)
            break;
        Sleep(1);
    }
    PROCESS_MEMORY_COUNTERS counters;
    ZeroMemory(&counters, sizeof(counters));
    if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof(counters)))
        subject->peakWorkingSet = std::max(subject->peakWorkingSet, counters.PeakWorkingSetSize);
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ms;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    int repetitions = argc > 1 ? atoi(argv[1]) : 15;
    if (repetitions < 1)
        repetitions = 1;

    std::string media = TestRoot() + "bench-media\\";
    std::string installed = TestRoot() + "bench-installed\\";
    ResetProductRegistry();
    BuildMedia(media);
    MakeFreshFolder(installed);
    CopyFileA(BinFile("Helper.exe").c_str(), (installed + "Helper.exe").c_str(), FALSE);
    WriteFileBytes(installed + "!Default.kws", "");

    std::vector<Subject> subjects(3);
    subjects[0] = {"minimal", BinFile("minimal_dialog.exe"), "", installed, {}, 0};
    subjects[1] = {"Setup", media + "Setup.exe", "", media, {}, 0};
    subjects[2] = {"Helper", installed + "Helper.exe", "C:\\Data\\memo.txt", installed, {}, 0};

    /* one start of each first, not counted: the caches fill */
    for (Subject &subject : subjects)
        TimeToDialog(&subject);
    for (int round = 0; round < repetitions; round++) {
        for (Subject &subject : subjects) {
            double ms = TimeToDialog(&subject);
            if (ms >= 0)
                subject.ms.push_back(ms);
        }
    }

    double base = Median(subjects[0].ms);
    printf("start to dialog shown, %d repetitions each, in turns\n", repetitions);
    printf("%-8s %10s %10s %10s %8s %14s\n", "program", "median ms", "min ms", "max ms",
           "ratio", "peak set KiB");
    for (Subject &subject : subjects) {
        double median = Median(subject.ms);
        double low = subject.ms.empty() ? -1 : *std::min_element(subject.ms.begin(), subject.ms.end());
        double high = subject.ms.empty() ? -1 : *std::max_element(subject.ms.begin(), subject.ms.end());
        printf("%-8s %10.1f %10.1f %10.1f %8.2f %14lu\n", subject.name, median, low, high,
               base > 0 ? median / base : 0.0, (unsigned long)(subject.peakWorkingSet / 1024));
        if ((int)subject.ms.size() < repetitions)
            printf("  (%d of %d starts showed no dialog)\n", repetitions - (int)subject.ms.size(),
                   repetitions);
    }
    ResetProductRegistry();
    DeleteTree(TestRoot());
    return 0;
}
