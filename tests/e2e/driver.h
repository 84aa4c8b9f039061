/*
 * End-to-end test library: starts the real programs under Wine, finds
 * their dialogs and message boxes, reads and presses controls, and resets
 * and reads the product's registry keys and folders. Everything that waits
 * has a deadline; every program a test starts runs in a job object that
 * ends it, and its children, when the test lets go of it.
 */
#ifndef QUORVANE_TESTS_E2E_DRIVER_H
#define QUORVANE_TESTS_E2E_DRIVER_H

#include <windows.h>

#include <string>
#include <vector>

/* generous: under emulation a program may take seconds to show a window */
extern const DWORD kWaitMs;

struct Program {
    HANDLE process;
    HANDLE job;
    DWORD pid;
};

/* the folder of the test executable, where Setup.exe and Helper.exe are */
std::string BinFolder();
std::string BinFile(const char *name);

/* starts "exe" arguments in currentDir (NULL: inherit); 1 on success */
int StartProgram(Program *program, const std::string &exe,
                 const std::string &arguments, const char *currentDir);
/* the same with a command line taken as is */
int StartProgramRaw(Program *program, const std::string &exe,
                    const std::string &commandLine, const char *currentDir);
/* the exit code, or STILL_ACTIVE after the deadline (the program is then
   ended) */
DWORD WaitForExit(Program *program, DWORD timeoutMs = kWaitMs);
int IsRunning(const Program *program);
/* ends the program and everything it started; closes the handles */
void EndProgram(Program *program);
/* processes in the program's job, the program itself included */
int JobProcessCount(const Program *program);
/* a visible top-level window of a process the program started (in its
   job, not the program itself), or NULL after the deadline */
HWND WaitForChildWindow(const Program *program, DWORD timeoutMs = kWaitMs);

/* a visible top-level dialog of the program that has control id */
HWND WaitForDialog(const Program *program, int controlId,
                   DWORD timeoutMs = kWaitMs);
/* a visible message box of the program (a dialog with a 0xFFFF text) */
HWND WaitForMessageBox(const Program *program, DWORD timeoutMs = kWaitMs);
/* 1 when the window is gone or hidden before the deadline */
int WaitForWindowGone(HWND hwnd, DWORD timeoutMs = kWaitMs);
/* a visible top-level window of any process with this class */
HWND FindTopLevel(const char *className, const char *caption);

std::string WindowText(HWND hwnd);
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string &text);
int IsControlVisible(HWND dialog, int id);
/* the control's rectangle in the dialog's client coordinates */
RECT ControlRect(HWND dialog, int id);
/* posts a click, so that a modal box it opens does not block the test */
void PressButton(HWND dialog, int id);
/* keys as the user types them: Esc, Enter, or the close box */
void PressEscape(HWND dialog);
void PressClose(HWND dialog);
/* a key pressed and released in a control, through the program's own
   message loop (so a dialog's keyboard handling applies) */
void PressKey(HWND dialog, int id, UINT virtualKey);
/* an edit control's selection; 1 when the control answered */
int EditSelection(HWND dialog, int id, DWORD *start, DWORD *end);

enum BoxIcon { IconNone, IconError, IconQuestion, IconWarning, IconInformation, IconUnknown };

struct MessageBoxInfo {
    std::string caption;
    std::string text;
    BoxIcon icon;
    int hasOk, hasCancel, hasYes, hasNo;
};
MessageBoxInfo ReadMessageBox(HWND box);
const char *IconName(BoxIcon icon);

/* registry */
void ResetProductRegistry();
int ReadDword(HKEY root, const char *key, const char *name, DWORD *value,
              DWORD *type = NULL);
int ReadString(HKEY root, const char *key, const char *name,
               std::string *value);
/* the raw bytes of a value and its type */
int ReadRaw(HKEY root, const char *key, const char *name, std::string *data,
            DWORD *type);
int KeyExists(HKEY root, const char *key);
int ValueNames(HKEY root, const char *key, std::vector<std::string> *names);
int WriteValue(HKEY root, const char *key, const char *name, DWORD type,
               const void *data, DWORD size);
int WriteDword(HKEY root, const char *key, const char *name, DWORD value);
int WriteString(HKEY root, const char *key, const char *name,
                const std::string &text);
int CreateKey(HKEY root, const char *key);

/* files */
int ReadFileBytes(const std::string &path, std::string *data);
int WriteFileBytes(const std::string &path, const std::string &data);
int FileExists(const std::string &path);
int FolderExists(const std::string &path);
void DeleteTree(const std::string &path);
/* an empty folder of this path, whatever was there before */
int MakeFreshFolder(const std::string &path);
std::vector<std::string> FolderEntries(const std::string &folder);

/* the throw-away root of test folders, ending in a backslash */
std::string TestRoot();

/* media files, as placeholders with distinct bytes */
std::string MediaContent(const char *name);
enum MediaFile { MediaMain, MediaHelp, MediaContents, MediaReadme, MediaSetup, MediaHelper, MediaFileCount };
const char *MediaName(int file);
/* a setup media folder; files in omit (bit per MediaFile) are left out */
int BuildMedia(const std::string &folder, unsigned omit = 0);

/* the stand-in main program */
int StartStandIn(Program *program, const char *arguments = "");
HWND StandInWindow();
struct BroadcastCount {
    int count;
    int nonZeroParams;
};
int ReadBroadcasts(BroadcastCount *result);

/* rows from the first to the last painted in a control (its text), as
   it stands on the screen */
int InkHeight(HWND control);

/* pictures for people, not assertions: when QV_SHOTS names a folder, the
   window's screen area is saved there as name.bmp */
void SaveShot(HWND hwnd, const char *name);

#endif
