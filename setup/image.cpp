/*
 * Setup's own program file (see image.h). Windows lets anyone who may
 * write the media folder rename a running program's file and put another
 * in its place; the held handle shares neither writing nor deletion, so
 * from the moment it is open the name can no longer be changed. What was
 * opened is then proven against the image that runs, which covers the
 * moment before: mapped as a file, it is compared by the kernel with the
 * image's own mapping, file to file, whatever its name or bytes (a copy
 * of the same bytes put in place is another file). A file mapped as a
 * running image cannot be written either, so what is read from the
 * handle is what runs.
 */
#include "image.h"

#include "systemdll.h"

/* Process-wide state of the own image, written by HoldImage: */
/* the held file, open until the process ends, or NULL */
static HANDLE ImageFile;
/* 1 once it is proven */
static int ImageProven;

typedef LONG(WINAPI *SameFilesProc)(PVOID image, PVOID view);

int HoldImage(const wchar_t *path, HMODULE image)
{
    SameFilesProc sameFiles =
        LOAD_SYSTEM_PROC(SameFilesProc, "ntdll", "NtAreMappedFilesTheSame");
    if (ImageFile != NULL)
        CloseHandle(ImageFile);
    ImageProven = 0;
    /* neither written nor renamed nor deleted while Setup runs */
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ImageFile = file != INVALID_HANDLE_VALUE ? file : NULL;
    HANDLE mapping = ImageFile != NULL
                         ? CreateFileMappingA(file, NULL, PAGE_READONLY, 0, 0, NULL)
                         : NULL;
    void *view = mapping != NULL ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : NULL;
    /* STATUS_SUCCESS: the two views are of one file */
    ImageProven = view != NULL && sameFiles != NULL && sameFiles(image, view) == 0;
    if (view != NULL)
        UnmapViewOfFile(view);
    if (mapping != NULL)
        CloseHandle(mapping);
    return ImageProven;
}

int HoldOwnImage(void)
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    return n != 0 && n < MAX_PATH && HoldImage(path, GetModuleHandleA(NULL));
}

HANDLE OwnImageFile(void)
{
    return ImageProven ? ImageFile : INVALID_HANDLE_VALUE;
}
