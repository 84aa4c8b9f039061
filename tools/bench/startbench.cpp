/*
 * Start-up benchmark: the time from CreateProcess to the program's dialog
 * being visible, for Setup (its wizard), Helper (its input box) and the
 * minimal dialog program built the same way, taken in turns so that the
 * machine's drift spreads over all three; and each one's peak working
 * set.
 *
 * Given the peer installer (tools/bench/peer.nsi: an NSIS installer that
 * does the job of Setup's install), Setup is also measured against it, in
 * the same turns: the size of each setup program, the time from start to
 * its first window, and a silent install of the whole product
 * ("/S /D=<folder>") from start to exit, from a clean state each time
 * (no product keys, no install folder). Each silent install is read back
 * afterwards; only those that exit with 0, show no window and leave a
 * complete install count. And Setup's own silent install, update, repair
 * (of an install with one file missing and one changed) and uninstall of
 * the whole product, in the same turns; and, given the release media,
 * the silent install from them with Setup's list of their files against
 * the same media with a Setup that carries none, which is what verifying
 * the media costs. Prints figures; asserts nothing.
 *
 *   startbench.exe [repetitions [peer-setup.exe [release-media-folder]]]
 */
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/names.h"
#include "install_check.h"
#include "tests/support/support.h"
#include "version.h"

namespace {

struct Subject {
    const char *name;
    std::string exe;
    std::string arguments;
    std::string currentDir;
    std::vector<double> ms;
    SIZE_T peakWorkingSet;
    /* for the peer any visible top-level window of the process counts,
       not only a dialog: NSIS 3 builds its windows as it likes. Under Wine
       the NSIS 3.08 installer's first visible window is its main dialog
       (#32770, caption "<name> セットアップ:<page>") with the folder page
       inside, but an installer large enough to take a second over its CRC
       check shows a "verifying" window first, and a branding background
       is a window of its own class; whichever comes first is what the
       user first sees. The class and caption found are printed. */
    bool anyWindow;
    /* the class and caption of the window last found */
    std::string firstWindow;
};

struct WindowSearch {
    DWORD pid;
    bool anyWindow;
    HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM lParam)
{
    WindowSearch *search = (WindowSearch *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char className[16];
    if (pid == search->pid && IsWindowVisible(hwnd) &&
        (search->anyWindow ||
         (GetClassNameA(hwnd, className, sizeof(className)) &&
          lstrcmpA(className, "#32770") == 0))) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

/* UTF-8 for the terminal, whatever the code page */
std::string Utf8(const wchar_t *text)
{
    char buffer[512];
    if (!WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof(buffer), NULL, NULL))
        return std::string();
    return buffer;
}

/* class "name", caption "text" */
std::string DescribeWindow(HWND hwnd)
{
    wchar_t className[128], caption[128];
    if (!GetClassNameW(hwnd, className, 128))
        className[0] = L'\0';
    if (GetWindowTextW(hwnd, caption, 128) <= 0)
        caption[0] = L'\0';
    return "class \"" + Utf8(className) + "\", caption \"" + Utf8(caption) + "\"";
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
        WindowSearch search = {pi.dwProcessId, subject->anyWindow, NULL};
        EnumWindows(FindVisibleWindow, (LPARAM)&search);
        QueryPerformanceCounter(&now);
        double elapsed = (double)(now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
        if (search.found != NULL) {
            ms = elapsed;
            subject->firstWindow = DescribeWindow(search.found);
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

/* a silent install gets this long to exit; one that takes longer, or
   shows a window (waiting for a click that never comes), is ended */
const DWORD kSilentWaitMs = 30000;

struct SilentSubject {
    const char *name;
    std::string exe;
    /* the runs that count: exit code 0, no window, a complete install */
    std::vector<double> ms;
    int notStarted, showedWindow, timedOut, failedExit, incomplete;
    DWORD lastExitCode;
    std::vector<std::string> firstDifferences;
};

double Elapsed(const LARGE_INTEGER &start)
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return (double)(now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

/* one silent run of subject's program with arguments, timed from the
   start to the exit; the time, or -1 for a run that did not exit with
   expected (0 unless told) on its own without showing a window (counted
   in subject) */
double TimeSilentRun(SilentSubject *subject, const std::string &arguments,
                     const std::string &media, DWORD expected = 0)
{
    std::string line = "\"" + subject->exe + "\" " + arguments;
    Program program;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!StartProgramRaw(&program, subject->exe, line, media.c_str())) {
        subject->notStarted++;
        return -1;
    }
    double ms = -1;
    for (;;) {
        /* returns at the exit itself, so the poll does not blur the time */
        if (WaitForSingleObject(program.process, 100) == WAIT_OBJECT_0) {
            ms = Elapsed(start);
            break;
        }
        WindowSearch search = {program.pid, true, NULL};
        EnumWindows(FindVisibleWindow, (LPARAM)&search);
        if (search.found != NULL) {
            subject->showedWindow++;
            EndProgram(&program);
            return -1;
        }
        if (Elapsed(start) > kSilentWaitMs) {
            subject->timedOut++;
            EndProgram(&program);
            return -1;
        }
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(program.process, &code);
    EndProgram(&program);
    if (code != expected) {
        subject->failedExit++;
        subject->lastExitCode = code;
        return -1;
    }
    return ms;
}

/* the install under folder read back; the time counted when it is whole */
void CountWholeInstall(SilentSubject *subject, double ms, const std::string &media,
                       const std::string &folder)
{
    if (ms < 0)
        return;
    std::vector<std::string> differences = InstallDifferences(media, folder + "\\");
    if (!differences.empty()) {
        if (subject->incomplete++ == 0)
            subject->firstDifferences = differences;
        return;
    }
    subject->ms.push_back(ms);
}

/* one silent install of the media into folder (no trailing backslash)
   from a clean state: no product keys, nothing under root; timed from
   the start to the exit, then read back */
void SilentInstall(SilentSubject *subject, const std::string &media, const std::string &root,
                   const std::string &folder)
{
    ResetProductRegistry();
    DeleteTree(root);
    CountWholeInstall(subject, TimeSilentRun(subject, "/S /D=" + folder, media), media, folder);
}

/* Setup's own silent runs in turn from a clean state: the install, an
   update over it (an older version recorded), a repair of it with one
   file missing and one changed, and the uninstall; then, over a new
   install, an update while another program holds the help file, which
   is left to the next restart (3010) */
void SilentCycle(SilentSubject runs[5], const std::string &media, const std::string &root,
                 const std::string &folder)
{
    SilentInstall(&runs[0], media, root, folder);
    WriteDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Veskaro\\Quorvane\\Setup", "Version",
               QV_VERSION_NUMBER - 1);
    CountWholeInstall(&runs[1], TimeSilentRun(&runs[1], "/S", media), media, folder);
    DeleteFileA((folder + "\\" QV_MAIN_EXE).c_str());
    WriteFileBytes(folder + "\\" QV_README_FILE, "changed");
    CountWholeInstall(&runs[2], TimeSilentRun(&runs[2], "/S", media), media, folder);
    double ms = TimeSilentRun(&runs[3], "/S /UNINSTALL", media);
    if (ms >= 0 && !FileExists(folder + "\\" QV_MAIN_EXE))
        runs[3].ms.push_back(ms);
    SilentSubject setUp = runs[4];
    SilentInstall(&setUp, media, root, folder);
    WriteDword(HKEY_LOCAL_MACHINE, "SOFTWARE\\Veskaro\\Quorvane\\Setup", "Version",
               QV_VERSION_NUMBER - 1);
    HANDLE viewer = HoldFile(folder + "\\" QV_HELP_FILE);
    ms = TimeSilentRun(&runs[4], "/S", media, ERROR_SUCCESS_REBOOT_REQUIRED);
    CloseHandle(viewer);
    if (ms >= 0)
        runs[4].ms.push_back(ms);
}

long long FileSize(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

/* one row of the comparison: ours, the peer's and ours/peer, "-" for a
   figure there is none of */
void PrintComparison(const char *quantity, double ours, double peer, int decimals)
{
    char oursText[32] = "-", peerText[32] = "-", ratio[32] = "-";
    if (ours >= 0)
        snprintf(oursText, sizeof(oursText), "%.*f", decimals, ours);
    if (peer >= 0)
        snprintf(peerText, sizeof(peerText), "%.*f", decimals, peer);
    if (ours >= 0 && peer > 0)
        snprintf(ratio, sizeof(ratio), "%.2f", ours / peer);
    printf("%-36s %10s %10s %10s\n", quantity, oursText, peerText, ratio);
}

/* the spread of the counted runs */
void PrintRange(const char *name, const std::vector<double> &ms, int repetitions)
{
    printf("    %-6s %d of %d counted", name, (int)ms.size(), repetitions);
    if (!ms.empty())
        printf(", min %.1f ms, max %.1f ms", *std::min_element(ms.begin(), ms.end()),
               *std::max_element(ms.begin(), ms.end()));
    printf("\n");
}

/* the spread, and why the runs that do not count do not */
void PrintSilentRuns(const SilentSubject &subject, int repetitions)
{
    PrintRange(subject.name, subject.ms, repetitions);
    int noSilentExit = subject.notStarted + subject.showedWindow + subject.timedOut;
    if (noSilentExit > 0)
        printf("           no silent exit: %d (showed a window %d, still running after %lu s %d, "
               "did not start %d)\n",
               noSilentExit, subject.showedWindow, (unsigned long)(kSilentWaitMs / 1000),
               subject.timedOut, subject.notStarted);
    if (subject.failedExit > 0)
        printf("           exit code not 0: %d (the last %lu)\n", subject.failedExit,
               (unsigned long)subject.lastExitCode);
    if (subject.incomplete > 0) {
        printf("           exit code 0 but an incomplete install: %d; the first lacked\n",
               subject.incomplete);
        for (const std::string &difference : subject.firstDifferences)
            printf("             %s\n", difference.c_str());
    }
}

} // namespace

int main(int argc, char **argv)
{
    int repetitions = argc > 1 ? atoi(argv[1]) : 15;
    if (repetitions < 1)
        repetitions = 1;
    std::string peerExe = argc > 2 ? argv[2] : "";
    std::string release = argc > 3 ? WithoutBackslash(argv[3]) + "\\" : "";

    std::string media = TestRoot() + "bench-media\\";
    std::string installed = TestRoot() + "bench-installed\\";
    std::string silentRoot = TestRoot() + "bench-silent";
    std::string silentFolder = silentRoot + "\\Veskaro\\Quorvane";
    ResetProductRegistry();
    BuildMedia(media);
    MakeFreshFolder(installed);
    CopyFileA(BinFile("Helper.exe").c_str(), (installed + "Helper.exe").c_str(), FALSE);
    WriteFileBytes(installed + "!Default.kws", "");

    std::vector<Subject> subjects(3);
    subjects[0] = {"minimal", BinFile("minimal_dialog.exe"), "", installed, {}, 0, false, ""};
    subjects[1] = {"Setup", media + "Setup.exe", "", media, {}, 0, false, ""};
    subjects[2] = {"Helper", installed + "Helper.exe", "C:\\Data\\memo.txt", installed, {}, 0,
                   false, ""};

    /* the peer sits in the media beside Setup.exe and reads the same six
       files from there */
    std::vector<SilentSubject> silent;
    bool withPeer = false;
    if (!peerExe.empty()) {
        if (!CopyFileA(peerExe.c_str(), (media + "peer-setup.exe").c_str(), FALSE)) {
            printf("the peer installer %s could not be copied into the media\n",
                   peerExe.c_str());
        } else {
            withPeer = true;
            subjects.push_back({"peer", media + "peer-setup.exe", "", media, {}, 0, true, ""});
            silent.push_back({"Setup", media + "Setup.exe", {}, 0, 0, 0, 0, 0, 0, {}});
            silent.push_back({"peer", media + "peer-setup.exe", {}, 0, 0, 0, 0, 0, 0, {}});
        }
    }

    /* Setup's own silent install, update, repair and uninstall, and the
       update of a file in use */
    SilentSubject cycle[5] = {
        {"install", media + "Setup.exe", {}, 0, 0, 0, 0, 0, 0, {}},
        {"update", media + "Setup.exe", {}, 0, 0, 0, 0, 0, 0, {}},
        {"repair", media + "Setup.exe", {}, 0, 0, 0, 0, 0, 0, {}},
        {"uninstall", media + "Setup.exe", {}, 0, 0, 0, 0, 0, 0, {}},
        {"held", media + "Setup.exe", {}, 0, 0, 0, 0, 0, 0, {}},
    };

    /* the release media, and the same files with a Setup that carries no
       list of them */
    std::string listed = TestRoot() + "bench-listed\\", unlisted = TestRoot() + "bench-unlisted\\";
    std::vector<SilentSubject> verified;
    if (!release.empty() && MakeFreshFolder(listed) && MakeFreshFolder(unlisted)) {
        for (const std::string &name : FolderEntries(release)) {
            CopyFileA((release + name).c_str(), (listed + name).c_str(), FALSE);
            CopyFileA((release + name).c_str(), (unlisted + name).c_str(), FALSE);
        }
        CopyFileA(BinFile("Setup.exe").c_str(), (unlisted + "Setup.exe").c_str(), FALSE);
        verified.push_back({"listed", listed + "Setup.exe", {}, 0, 0, 0, 0, 0, 0, {}});
        verified.push_back({"unlisted", unlisted + "Setup.exe", {}, 0, 0, 0, 0, 0, 0, {}});
    }

    /* one start of each first, not counted: the caches fill */
    for (Subject &subject : subjects)
        TimeToDialog(&subject);
    {
        SilentSubject warmUp[5] = {cycle[0], cycle[1], cycle[2], cycle[3], cycle[4]};
        SilentCycle(warmUp, media, silentRoot, silentFolder);
    }
    for (SilentSubject &subject : silent) {
        SilentSubject warmUp = subject;
        SilentInstall(&warmUp, media, silentRoot, silentFolder);
    }
    for (int round = 0; round < repetitions; round++) {
        for (Subject &subject : subjects) {
            double ms = TimeToDialog(&subject);
            if (ms >= 0)
                subject.ms.push_back(ms);
        }
        for (SilentSubject &subject : silent)
            SilentInstall(&subject, media, silentRoot, silentFolder);
        SilentCycle(cycle, media, silentRoot, silentFolder);
        for (SilentSubject &subject : verified) {
            std::string from = subject.exe.substr(0, subject.exe.size() - 9);
            SilentInstall(&subject, from, silentRoot, silentFolder);
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
            printf("  (%d of %d starts showed no %s)\n", repetitions - (int)subject.ms.size(),
                   repetitions, subject.anyWindow ? "window" : "dialog");
    }

    printf("\n");
    printf("Setup's silent runs of the whole product (\"/S /D=%s\", then \"/S\" over an older\n"
           "version recorded, \"/S\" again with %s deleted and %s changed, then\n"
           "\"/S /UNINSTALL\"; \"held\": the update while another program holds %s,\n"
           "which ends 3010), medians of %d runs each, in turns\n",
           silentFolder.c_str(), QV_MAIN_EXE, QV_README_FILE, QV_HELP_FILE, repetitions);
    for (const SilentSubject &run : cycle)
        printf("  %-10s %10.1f ms\n", run.name, Median(run.ms));
    if (Median(cycle[0].ms) > 0)
        printf("  update/install %.2f, repair/install %.2f\n",
               Median(cycle[1].ms) / Median(cycle[0].ms), Median(cycle[2].ms) / Median(cycle[0].ms));
    if (Median(cycle[1].ms) > 0)
        printf("  update with a file in use / plain update %.2f\n",
               Median(cycle[4].ms) / Median(cycle[1].ms));
    for (const SilentSubject &run : cycle)
        PrintSilentRuns(run, repetitions);
    if (verified.size() == 2) {
        printf("\n");
        printf("Verifying the media: the silent install from the release media, by a Setup that\n"
               "carries the list of their files and by one that carries none, medians of %d\n",
               repetitions);
        for (const SilentSubject &run : verified)
            printf("  %-10s %10.1f ms\n", run.name, Median(run.ms));
        printf("  cost of verifying %.1f ms\n", Median(verified[0].ms) - Median(verified[1].ms));
        for (const SilentSubject &run : verified)
            PrintSilentRuns(run, repetitions);
    }

    if (withPeer) {
        const Subject &ours = subjects[1];
        const Subject &peer = subjects[3];
        printf("\n");
        printf("Setup against the NSIS peer (tools/bench/peer.nsi), medians of %d runs each, "
               "in turns\n", repetitions);
        printf("%-36s %10s %10s %10s\n", "", "Setup", "peer", "Setup/peer");
        PrintComparison("setup program size (bytes)", (double)FileSize(ours.exe),
                        (double)FileSize(peer.exe), 0);
        PrintComparison("start to first window (ms)", Median(ours.ms), Median(peer.ms), 1);
        PrintComparison("silent install, start to exit (ms)", Median(silent[0].ms),
                        Median(silent[1].ms), 1);
        printf("  start to first window\n");
        for (const Subject *subject : {&ours, &peer}) {
            PrintRange(subject->name, subject->ms, repetitions);
            printf("           %s\n", subject->firstWindow.empty()
                                          ? "no window found"
                                          : subject->firstWindow.c_str());
        }
        printf("  silent install: \"/S /D=%s\" from the media, from a clean state;\n"
               "  counted when it exits with 0, shows no window and leaves a complete install\n",
               silentFolder.c_str());
        for (const SilentSubject &subject : silent)
            PrintSilentRuns(subject, repetitions);
    }
    ResetProductRegistry();
    DeleteTree(TestRoot());
    return 0;
}
