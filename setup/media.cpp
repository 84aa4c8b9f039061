/*
 * The setup media (see media.h). The folder comes from the program's
 * wide path: the ANSI one would hold a look-alike for a character code
 * page 932 cannot hold (C:\m¥x\ would be C:\m\x\, another folder). A
 * file is read once, for its copy: a second read, for a hash taken
 * before, could return other bytes from a share whose server someone
 * else controls.
 */
#include "media.h"

#include <wincrypt.h>
#include <string.h>

#include "files.h"
#include "image.h"
#include "log.h"
#include "paths.h"
#include "texts.h"
#include "../common/ansi.h"
#include "../common/text.h"

/* where a row's expected hash comes from */
enum { DigestUnknown = 0, DigestRead = 1, DigestListed = 2 };

/* Process-wide state of the media, written by OpenMedia and read here: */
/* each row's media file, open and denying writes: Setup.exe's is the one
   image.cpp holds */
static HANDLE MediaFile[kProductFileCount];
static char MediaPath[kProductFileCount][MAX_PATH];
static DWORD MediaSize[kProductFileCount];
/* what each row must hash to, and where that comes from */
static BYTE MediaDigest[kProductFileCount][MEDIA_HASH_SIZE];
static char MediaDigestFrom[kProductFileCount];
/* the folder Setup.exe runs from, ending in its backslash */
static char MediaFolder[MAX_PATH];
static int MediaOpen;
/* the hashing provider, acquired at the first hash and kept */
static HCRYPTPROV Provider;
/* one buffer for every read, a chunk of a file at a time */
#define READ_CHUNK_SIZE (32 * 1024)
static BYTE Chunk[READ_CHUNK_SIZE];

/* file from its start to its end hashed into digest and, with to,
   copied into it as it is read; its size in *size */
static int ReadWhole(HANDLE file, BYTE *digest, HANDLE to, DWORD *size)
{
    HCRYPTHASH hash = 0;
    DWORD read = 0, length = MEDIA_HASH_SIZE;
    int ok = SetFilePointer(file, 0, NULL, FILE_BEGIN) == 0 &&
             (Provider != 0 ||
              CryptAcquireContextA(&Provider, NULL, NULL, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) &&
             CryptCreateHash(Provider, CALG_SHA_256, 0, 0, &hash);
    *size = 0;
    while (ok && (ok = ReadFile(file, Chunk, sizeof(Chunk), &read, NULL)) && read > 0) {
        ok = CryptHashData(hash, Chunk, read, 0) &&
             (to == NULL || (WriteFile(to, Chunk, read, &length, NULL) && length == read));
        *size += read;
    }
    if (hash != 0) {
        length = MEDIA_HASH_SIZE;
        ok = ok && CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0) &&
             length == MEDIA_HASH_SIZE;
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
    char name[MEDIA_LIST_NAME_SIZE];
    DWORD size;
    BYTE digest[MEDIA_HASH_SIZE];
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

/* row's file checked against the list: its entry, of its name, has its
   size, and gives the hash its copy must have */
static int IsListed(size_t row, const MediaListEntry *list, DWORD count)
{
    for (DWORD at = 0; at < count; at++) {
        /* the names are shorter than their room, which pads them with NULs */
        if (strncmp(list[at].name, kProductFiles[row].mediaName, MEDIA_LIST_NAME_SIZE) == 0 &&
            list[at].size == MediaSize[row]) {
            memcpy(MediaDigest[row], list[at].digest, MEDIA_HASH_SIZE);
            MediaDigestFrom[row] = DigestListed;
            return 1;
        }
    }
    return 0;
}

int OpenMedia(char *problem, size_t size)
{
    wchar_t module[MAX_PATH];
    char self[MAX_PATH];
    DWORD count = 0;
    const MediaListEntry *list = MediaList(&count);

    CloseMedia();
    DWORD n = GetModuleFileNameW(NULL, module, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || !WideToAnsi(module, self, sizeof(self)) ||
        !SplitModuleFolder(self, MediaFolder, sizeof(MediaFolder))) {
        CopyText(problem, size, self);
        return MediaUnnamed;
    }
    MediaOpen = 1;
    for (size_t i = 0; i < kProductFileCount; i++) {
        const char *name = kProductFiles[i].mediaName;
        char *path = MediaPath[i];
        DWORD high = 0;
        if (name == NULL)
            continue;
        int own = lstrcmpiA(name, QV_SETUP_EXE) == 0, result = MediaReady;
        /* Setup.exe is the running program, held and proven when Setup
           started; a path too long leaves path empty, which opens nothing */
        if (own) {
            CopyText(path, MAX_PATH, self);
            MediaFile[i] = OwnImageFile();
        } else {
            JoinText(path, MAX_PATH, MediaFolder, name);
            MediaFile[i] =
                CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        }
        if (MediaFile[i] == INVALID_HANDLE_VALUE) {
            if (!own)
                LogFailure("読み込み", path);
            result = own ? MediaChanged : MediaMissing;
        } else if ((MediaSize[i] = GetFileSize(MediaFile[i], &high)) == INVALID_FILE_SIZE ||
                   high != 0) {
            LogFailure("読み込み", path);
            result = MediaMissing;
        } else if (list != NULL && !own && !IsListed(i, list, count)) {
            result = MediaChanged;
        }
        if (result == MediaChanged)
            LogLine(LOG_FAILED LOG_MEDIA_VERIFIED "%s", path);
        if (result != MediaReady) {
            CopyText(problem, size, path);
            return result;
        }
    }
    if (list == NULL)
        LogLine(LOG_MEDIA_NOT_VERIFIED);
    problem[0] = '\0';
    return MediaReady;
}

void CloseMedia(void)
{
    for (size_t i = 0; i < kProductFileCount; i++) {
        /* Setup's own file stays held */
        if (MediaOpen && MediaFile[i] != INVALID_HANDLE_VALUE && MediaFile[i] != NULL &&
            MediaFile[i] != OwnImageFile())
            CloseHandle(MediaFile[i]);
        MediaFile[i] = INVALID_HANDLE_VALUE;
        MediaDigestFrom[i] = DigestUnknown;
    }
    MediaOpen = 0;
}

const char *MediaFilePath(size_t row)
{
    return MediaPath[row];
}

int CopyMediaFile(size_t row, HANDLE to)
{
    BYTE digest[MEDIA_HASH_SIZE];
    DWORD size = 0;
    /* the copy is whole on the disk before the journal says it is there */
    if (!ReadWhole(MediaFile[row], digest, to, &size) || !FlushFileBuffers(to))
        return MediaMissing;
    /* what was copied is what was read: a file changed since it was
       listed, or since a repair compared it, installs nothing */
    if (size != MediaSize[row] ||
        (MediaDigestFrom[row] != DigestUnknown &&
         memcmp(digest, MediaDigest[row], MEDIA_HASH_SIZE) != 0)) {
        LogLine(LOG_FAILED LOG_MEDIA_VERIFIED "%s", MediaPath[row]);
        return MediaChanged;
    }
    if (MediaDigestFrom[row] == DigestListed)
        LogLine(LOG_MEDIA_VERIFIED "%s", MediaPath[row]);
    return MediaReady;
}

int MatchesMediaFile(size_t row, const char *path)
{
    BYTE digest[MEDIA_HASH_SIZE];
    DWORD size = 0;
    /* what the media file must be: the list's, or this read's, which the
       copy then holds it to */
    if (MediaDigestFrom[row] == DigestUnknown) {
        if (!HashFile(MediaFile[row], MediaDigest[row], &size) || size != MediaSize[row])
            return 0;
        MediaDigestFrom[row] = DigestRead;
    }
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    int same = file != INVALID_HANDLE_VALUE && HashFile(file, digest, &size) &&
               size == MediaSize[row] && memcmp(digest, MediaDigest[row], MEDIA_HASH_SIZE) == 0;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return same;
}

/* 1 when the open file or folder is the one at path */
static int IsAt(HANDLE file, const char *path)
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

int IsRunningImage(const char *path)
{
    return IsAt(OwnImageFile(), path);
}

int IsMediaFolder(HANDLE folder)
{
    return MediaFolder[0] != '\0' && IsAt(folder, MediaFolder);
}
