/*
 * Files and folders as tests lay them out and read them back (see
 * files.h).
 */
#include "files.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string.h>
#include <wchar.h>

#include "../../common/text.h"

int ReadFileBytes(const std::string &path, std::string *data)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    data->clear();
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &n, NULL) && n > 0)
        data->append(buffer, n);
    CloseHandle(file);
    return 1;
}

int WriteFileBytes(const std::string &path, const std::string &data)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    BOOL ok = WriteFile(file, data.data(), (DWORD)data.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == data.size();
}

int FileExists(const std::string &path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

int FolderExists(const std::string &path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

/* the path without its trailing backslash; the last byte of 表 is 0x5C
   too, so this goes by character */
std::string WithoutBackslash(const std::string &path)
{
    std::string base = path;
    if (EndsWithBackslash(base.c_str()))
        base.erase(base.size() - 1);
    return base;
}

/* the tree at a wide path: wide, so that names code page 932 cannot hold
   go too */
static void DeleteTreeWide(const std::wstring &base)
{
    DWORD a = GetFileAttributesW(base.c_str());
    if (a == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(base.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(base.c_str());
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((base + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0)
                continue;
            DeleteTreeWide(base + L"\\" + found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(base.c_str());
}

void DeleteTree(const std::string &path)
{
    std::string base = WithoutBackslash(path);
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, base.c_str(), -1, wide, MAX_PATH) > 0)
        DeleteTreeWide(wide);
}

int MakeFreshFolder(const std::string &path)
{
    DeleteTree(path);
    for (const char *p = FindBackslash(path.c_str()); p != NULL; p = FindBackslash(p + 1))
        CreateDirectoryA(std::string(path.c_str(), p + 1).c_str(), NULL);
    CreateDirectoryA(path.c_str(), NULL);
    return FolderExists(path);
}

std::vector<std::string> FolderEntries(const std::string &folder)
{
    std::vector<std::string> names;
    std::string base = WithoutBackslash(folder) + "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

HANDLE HoldFile(const std::string &path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
}

long EveryoneAccess(const std::string &path)
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    PACL dacl = NULL;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL,
                              &dacl, NULL, &descriptor) != ERROR_SUCCESS)
        return -1;
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(everyone);
    long access = 0;
    if (!CreateWellKnownSid(WinWorldSid, NULL, everyone, &size)) {
        access = -1;
    } else if (dacl != NULL) {
        for (DWORD i = 0; i < dacl->AceCount; i++) {
            ACCESS_ALLOWED_ACE *ace = NULL;
            if (GetAce(dacl, i, (void **)&ace) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
                EqualSid(everyone, &ace->SidStart))
                access |= (long)ace->Mask;
        }
    }
    LocalFree(descriptor);
    return access;
}

int LetEveryoneChange(const std::string &path)
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    PACL dacl = NULL;
    BOOL present = FALSE, defaulted = FALSE;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;OICI;FA;;;WD)",
                                                              SDDL_REVISION_1, &descriptor, NULL))
        return 0;
    int ok = GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) &&
             SetNamedSecurityInfoA((char *)WithoutBackslash(path).c_str(), SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION, NULL, NULL, dacl,
                                   NULL) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return ok;
}

int FillDrive(const std::string &folder)
{
    HANDLE file = CreateFileA((folder + "filler").c_str(), GENERIC_WRITE, 0, NULL,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    std::string page(4096, 'f');
    DWORD written = 1;
    for (int i = 0; i < 1024 && written > 0; i++) {
        if (!WriteFile(file, page.data(), (DWORD)page.size(), &written, NULL))
            written = 0;
    }
    for (int i = 0; i < 4096 && written > 0; i++) {
        if (!WriteFile(file, "f", 1, &written, NULL))
            written = 0;
    }
    CloseHandle(file);
    return 1;
}

std::string SmallDrive()
{
    return FolderExists("S:\\") ? "S:\\" : "";
}

std::string TestRoot()
{
    return "C:\\qvtest\\";
}

/* path as Wine's Z: drive spells it, the Unix path of the same file */
std::string UnixSpelling(const std::string &path)
{
    typedef char *(CDECL * UnixFileName)(LPCWSTR);
    UnixFileName unixFileName = (UnixFileName)(void (*)(void))GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    wchar_t wide[MAX_PATH];
    if (unixFileName == NULL || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH))
        return std::string();
    char *name = unixFileName(wide);
    if (name == NULL)
        return std::string();
    std::string spelled = "Z:" + std::string(name);
    HeapFree(GetProcessHeap(), 0, name);
    for (char &c : spelled) {
        if (c == '/')
            c = '\\';
    }
    return spelled;
}
