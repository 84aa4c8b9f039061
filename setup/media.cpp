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
#include "paths.h"
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

/* file from its start to its end, hashed into digest or copied into to;
   its size in *size */
static int ReadWhole(HANDLE file, BYTE *digest, HANDLE to, DWORD *size)
{
    HCRYPTHASH hash = 0;
    DWORD read = 0, length = 32;
    int ok = SetFilePointer(file, 0, NULL, FILE_BEGIN) == 0;
    *size = 0;
    if (digest != NULL)
        ok = ok &&
             (Provider != 0 ||
              CryptAcquireContextA(&Provider, NULL, NULL, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) &&
             CryptCreateHash(Provider, CALG_SHA_256, 0, 0, &hash);
    while (ok && (ok = ReadFile(file, Chunk, sizeof(Chunk), &read, NULL)) && read > 0) {
        ok = digest != NULL ? CryptHashData(hash, Chunk, read, 0)
                            : WriteFile(to, Chunk, read, &length, NULL) && length == read;
        *size += read;
    }
    if (hash != 0) {
        length = 32;
        ok = ok && CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0) && length == 32;
        CryptDestroyHash(hash);
    }
    return ok;
}

int HashFile(HANDLE file, BYTE *digest, DWORD *size)
{
    return ReadWhole(file, digest, NULL, size);
}

/* an entry of the list (medialist.h) */
struct MediaListEntry {
    char name[16];
    DWORD size;
    BYTE digest[32];
};
static_assert(sizeof(MediaListEntry) == MEDIA_LIST_ENTRY, "the list's layout (medialist.h)");

/* the list as the build leaves it, which scripts/medialist fills in
   place: volatile, so that what the compiler sees here (no list) is never
   taken for what the program holds */
static const volatile BYTE kMediaList[MEDIA_LIST_SIZE]
    __attribute__((section(".rdata"))) = MEDIA_LIST_EMPTY;
/* a copy of it, read once */
static BYTE MediaListCopy[MEDIA_LIST_SIZE];

/* the list Setup carries, and how many entries; NULL without one */
static const MediaListEntry *MediaList(DWORD *count)
{
    for (int i = 0; i < MEDIA_LIST_SIZE; i++)
        MediaListCopy[i] = kMediaList[i];
    if (memcmp(MediaListCopy, MEDIA_LIST_MARKER, 8) != 0)
        return NULL;
    memcpy(count, MediaListCopy + 8, 4);
    if (*count > MEDIA_LIST_ROOM)
        *count = MEDIA_LIST_ROOM;
    return (const MediaListEntry *)(MediaListCopy + MEDIA_LIST_HEADER);
}

int OpenMedia(char *problem, size_t size)
{
    wchar_t module[MAX_PATH];
    char self[MAX_PATH], folder[MAX_PATH];
    DWORD count = 0;
    const MediaListEntry *list = MediaList(&count);

    CloseMedia();
    DWORD n = GetModuleFileNameW(NULL, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || !WideToAnsi(module, self, sizeof(self)) ||
        !SplitModuleFolder(self, folder, sizeof(folder))) {
        CopyText(problem, size, self);
        return MediaUnnamed;
    }
    MediaOpen = 1;
    for (size_t i = 0; i < kProductFileCount; i++) {
        const char *name = kProductFiles[i].mediaName;
        char path[MAX_PATH];
        BY_HANDLE_FILE_INFORMATION info;
        if (name == NULL)
            continue;
        /* Setup.exe is the running program, which its signature covers;
           the others are opened denying writes and hashed */
        int running = lstrcmpiA(name, QV_SETUP_EXE) == 0;
        CopyText(path, sizeof(path), self);
        MediaHashed[i] = !running;
        MediaFile[i] =
            running ? CreateFileW(module, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL)
            : JoinText(path, sizeof(path), folder, name)
                ? CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL)
                : INVALID_HANDLE_VALUE;
        CopyText(problem, size, path);
        if (MediaFile[i] == INVALID_HANDLE_VALUE ||
            (running ? !GetFileInformationByHandle(MediaFile[i], &info) ||
                           (MediaSize[i] = info.nFileSizeLow, info.nFileSizeHigh != 0)
                     : !HashFile(MediaFile[i], MediaDigest[i], &MediaSize[i]))) {
            LogFailure("読み込み", path);
            return MediaMissing;
        }
        if (list == NULL || running)
            continue;
        /* the entry this very file would have */
        MediaListEntry mine;
        memset(&mine, 0, sizeof(mine));
        CopyText(mine.name, sizeof(mine.name), name);
        mine.size = MediaSize[i];
        memcpy(mine.digest, MediaDigest[i], sizeof(mine.digest));
        DWORD at = 0;
        while (at < count && memcmp(&list[at], &mine, sizeof(mine)) != 0)
            at++;
        if (at == count) {
            LogLine(LOG_FAILED LOG_MEDIA_VERIFIED "%s", path);
            return MediaChanged;
        }
        LogLine(LOG_MEDIA_VERIFIED "%s", path);
    }
    if (list == NULL)
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
    DWORD size = 0;
    /* the copy is whole on the disk before the journal says it is there */
    return ReadWhole(MediaFile[row], NULL, to, &size) && size == MediaSize[row] &&
           FlushFileBuffers(to);
}

/* 1 when file is the file at path */
static int IsFileAt(HANDLE file, const char *path)
{
    wchar_t wide[MAX_PATH];
    HANDLE other = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, wide, MAX_PATH)
                       ? OpenIdentity(wide)
                       : INVALID_HANDLE_VALUE;
    int same = IsSameFile(file, other);
    if (other != INVALID_HANDLE_VALUE)
        CloseHandle(other);
    return same;
}

int IsMediaFileItself(size_t row, const char *target)
{
    return IsFileAt(MediaFile[row], target);
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
    HANDLE self = OpenIdentity(module);
    int same = IsFileAt(self, path);
    if (self != INVALID_HANDLE_VALUE)
        CloseHandle(self);
    return same;
}
