/*
 * The setup media (see media.h). The folder comes from the program's
 * wide path: the ANSI one would hold a look-alike for a character code
 * page 932 cannot hold (C:\m¥x\ would be C:\m\x\, another folder).
 */
#include "media.h"

#include <wincrypt.h>
#include <string.h>

#include "files.h"
#include "log.h"
#include "texts.h"
#include "../common/ansi.h"
#include "../common/text.h"

/* Process-wide state of the media, written by OpenMedia and read here: */
/* each row's media file, open and denying writes, or INVALID_HANDLE_VALUE */
static HANDLE MediaFile[kProductFileCount];
static BYTE MediaDigest[kProductFileCount][32];
static DWORD MediaSize[kProductFileCount];
/* 1 where MediaDigest holds the file's hash: Setup.exe, which no list
   names, is hashed only when a repair compares it */
static char MediaHashed[kProductFileCount];
static int MediaOpen;
/* the hashing provider, acquired at the first hash and kept */
static HCRYPTPROV Provider;
/* one buffer for every read */
static BYTE Chunk[32768];

int HashFile(HANDLE file, BYTE *digest, DWORD *size)
{
    HCRYPTHASH hash = 0;
    DWORD read = 0, length = 32;
    int ok;
    *size = 0;
    if (Provider == 0 &&
        !CryptAcquireContextA(&Provider, NULL, NULL, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        return 0;
    if (SetFilePointer(file, 0, NULL, FILE_BEGIN) != 0 ||
        !CryptCreateHash(Provider, CALG_SHA_256, 0, 0, &hash))
        return 0;
    while ((ok = ReadFile(file, Chunk, sizeof(Chunk), &read, NULL) &&
                 CryptHashData(hash, Chunk, read, 0)) &&
           read > 0)
        *size += read;
    ok = ok && CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0) && length == 32;
    CryptDestroyHash(hash);
    return ok;
}

/* the entry of the list for name, or NULL; *listed says whether there is
   a list at all */
static const BYTE *ListEntry(const char *name, int *listed)
{
    HRSRC found = FindResourceA(NULL, MEDIA_LIST_NAME, RT_RCDATA);
    const BYTE *list = found != NULL ? (const BYTE *)LockResource(LoadResource(NULL, found)) : NULL;
    DWORD bytes = found != NULL ? SizeofResource(NULL, found) : 0;
    DWORD count = 0;
    *listed = list != NULL && bytes >= MEDIA_LIST_HEADER && memcmp(list, MEDIA_LIST_MARKER, 8) == 0;
    if (!*listed)
        return NULL;
    memcpy(&count, list + 8, 4);
    for (DWORD i = 0; i < count && MEDIA_LIST_HEADER + (i + 1) * MEDIA_LIST_ENTRY <= bytes; i++) {
        const BYTE *entry = list + MEDIA_LIST_HEADER + i * MEDIA_LIST_ENTRY;
        char entryName[17];
        memcpy(entryName, entry, 16);
        entryName[16] = '\0';
        if (lstrcmpiA(entryName, name) == 0)
            return entry;
    }
    return NULL;
}

/* row's media file opened denying writes: the running program for
   Setup.exe, otherwise the file of its name in folder */
static HANDLE OpenMediaFile(size_t row, const char *folder, const wchar_t *module, char *path)
{
    const ProductFile *file = &kProductFiles[row];
    if (lstrcmpiA(file->name, QV_SETUP_EXE) == 0) {
        WideToAnsi(module, path, MAX_PATH);
        return CreateFileW(module, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    }
    if (!JoinText(path, MAX_PATH, folder, file->mediaName))
        return INVALID_HANDLE_VALUE;
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
}

int OpenMedia(char *problem, size_t size)
{
    wchar_t module[MAX_PATH];
    char ansiModule[MAX_PATH], folder[MAX_PATH];
    int listed = 0;

    CloseMedia();
    DWORD n = GetModuleFileNameW(NULL, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || !WideToAnsi(module, ansiModule, sizeof(ansiModule)) ||
        !SplitModuleFolder(ansiModule, folder, sizeof(folder))) {
        CopyText(problem, size, ansiModule);
        return MediaUnnamed;
    }
    MediaOpen = 1;
    for (size_t i = 0; i < kProductFileCount; i++) {
        char path[MAX_PATH] = "";
        if (kProductFiles[i].mediaName == NULL)
            continue;
        MediaFile[i] = OpenMediaFile(i, folder, module, path);
        CopyText(problem, size, path);
        /* Setup.exe is the running program, which its signature covers */
        int self = lstrcmpiA(kProductFiles[i].name, QV_SETUP_EXE) == 0;
        MediaHashed[i] = !self;
        if (MediaFile[i] == INVALID_HANDLE_VALUE ||
            (self ? (MediaSize[i] = GetFileSize(MediaFile[i], NULL)) == INVALID_FILE_SIZE
                  : !HashFile(MediaFile[i], MediaDigest[i], &MediaSize[i]))) {
            LogFailure("読み込み", path);
            return MediaMissing;
        }
        const BYTE *entry = ListEntry(kProductFiles[i].mediaName, &listed);
        if (!listed || self)
            continue;
        DWORD listedSize = 0;
        if (entry != NULL)
            memcpy(&listedSize, entry + 16, 4);
        if (entry == NULL || listedSize != MediaSize[i] ||
            memcmp(entry + 20, MediaDigest[i], 32) != 0) {
            LogLine(LOG_FAILED "%s%s", LOG_MEDIA_VERIFIED, path);
            return MediaChanged;
        }
        LogLine(LOG_MEDIA_VERIFIED "%s", path);
    }
    if (!listed)
        LogLine(LOG_MEDIA_NOT_VERIFIED);
    problem[0] = '\0';
    return MediaReady;
}

void CloseMedia(void)
{
    for (size_t i = 0; MediaOpen && i < kProductFileCount; i++) {
        if (MediaFile[i] != INVALID_HANDLE_VALUE && MediaFile[i] != NULL)
            CloseHandle(MediaFile[i]);
    }
    for (size_t i = 0; i < kProductFileCount; i++)
        MediaFile[i] = INVALID_HANDLE_VALUE;
    MediaOpen = 0;
}

int CopyMediaFile(size_t row, HANDLE to)
{
    HANDLE from = MediaFile[row];
    DWORD read = 0, written = 0, total = 0;
    if (from == INVALID_HANDLE_VALUE || SetFilePointer(from, 0, NULL, FILE_BEGIN) != 0)
        return 0;
    for (;;) {
        if (!ReadFile(from, Chunk, sizeof(Chunk), &read, NULL))
            return 0;
        if (read == 0)
            break;
        if (!WriteFile(to, Chunk, read, &written, NULL) || written != read)
            return 0;
        total += read;
    }
    /* the copy is whole on the disk before the journal says it is there */
    return total == MediaSize[row] && FlushFileBuffers(to);
}

/* the identity of a file, whatever the spelling of its path */
static int ReadIdentity(HANDLE file, BY_HANDLE_FILE_INFORMATION *info)
{
    return file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, info);
}

static int IsSameFile(HANDLE file, const char *path)
{
    BY_HANDLE_FILE_INFORMATION a, b;
    HANDLE other = CreateFileA(path, FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, 0, NULL);
    int same = ReadIdentity(file, &a) && ReadIdentity(other, &b) &&
               a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
               a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
    if (other != INVALID_HANDLE_VALUE)
        CloseHandle(other);
    return same;
}

int IsMediaFileItself(size_t row, const char *target)
{
    return IsSameFile(MediaFile[row], target);
}

int MatchesMediaFile(size_t row, const char *path)
{
    BYTE digest[32];
    DWORD size = 0;
    if (!MediaHashed[row] && HashFile(MediaFile[row], MediaDigest[row], &size))
        MediaHashed[row] = size == MediaSize[row];
    if (!MediaHashed[row])
        return 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    int same = file != INVALID_HANDLE_VALUE && HashFile(file, digest, &size) &&
               size == MediaSize[row] && memcmp(digest, MediaDigest[row], 32) == 0;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return same;
}

int IsRunningImage(const char *path)
{
    wchar_t module[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 0;
    HANDLE self = CreateFileW(module, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, 0, NULL);
    int same = IsSameFile(self, path);
    if (self != INVALID_HANDLE_VALUE)
        CloseHandle(self);
    return same;
}
