/*
 * Setup's own program file (see image.h). Windows lets anyone who may
 * write the media folder rename a running program's file and put another
 * in its place; the held handle shares neither writing nor deletion, so
 * from the moment it is open the name can no longer be changed. What was
 * opened is then proven against the image that runs, which covers the
 * moment before: a file put in place between the process's start and the
 * open holds other sections. The bytes are read once, so a share whose
 * server answers a second read differently changes nothing either.
 */
#include "image.h"

#include <stddef.h>
#include <string.h>

/* Process-wide state of the own image, written by HoldImage: */
/* the held file, open until the process ends */
static HANDLE ImageFile;
/* its bytes, on the process heap, and their size; NULL unless proven */
static BYTE *ImageBytes;
static DWORD ImageSize;

static DWORD Read32(const BYTE *at)
{
    DWORD value;
    memcpy(&value, at, 4);
    return value;
}

/* the section's n bytes as mapped at image, into copy, as the file holds
   them: each relocated address back at its preferred base, and the
   import addresses the loader filled in taken from the file */
static int Unrelocate(const BYTE *image, const IMAGE_OPTIONAL_HEADER32 *optional, DWORD delta,
                      DWORD start, DWORD n, BYTE *copy, const BYTE *fileBytes)
{
    const IMAGE_DATA_DIRECTORY *relocations =
        &optional->DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
    const IMAGE_DATA_DIRECTORY *imports = &optional->DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    memcpy(copy, image + start, n);
    for (DWORD at = 0, block = 0; at + 8 <= relocations->Size; at += block) {
        const BYTE *header = image + relocations->VirtualAddress + at;
        DWORD page = Read32(header);
        block = Read32(header + 4);
        if (block < 8 || block > relocations->Size - at)
            return 0;
        for (DWORD entry = 8; entry + 2 <= block; entry += 2) {
            WORD word;
            memcpy(&word, header + entry, 2);
            DWORD site = page + (word & 0xFFF);
            if (word >> 12 == IMAGE_REL_BASED_ABSOLUTE)
                continue;
            if (word >> 12 != IMAGE_REL_BASED_HIGHLOW)
                return 0;
            if (n >= 4 && site >= start && site - start <= n - 4) {
                DWORD value = Read32(copy + (site - start)) - delta;
                memcpy(copy + (site - start), &value, 4);
            }
        }
    }
    /* the import address table, as far as it lies in this section */
    DWORD from = imports->VirtualAddress > start ? imports->VirtualAddress : start;
    DWORD to = imports->VirtualAddress + imports->Size < start + n
                   ? imports->VirtualAddress + imports->Size
                   : start + n;
    if (from < to)
        memcpy(copy + (from - start), fileBytes + (from - start), to - from);
    return 1;
}

/* the sections of file the mapped ones at image, with the loader's
   relocations by delta undone */
static int SameSections(const BYTE *image, const IMAGE_NT_HEADERS32 *nt, const BYTE *file,
                        DWORD size, DWORD delta)
{
    const IMAGE_OPTIONAL_HEADER32 *optional = &nt->OptionalHeader;
    const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
    int same = 1;
    for (WORD i = 0; same && i < nt->FileHeader.NumberOfSections; i++, section++) {
        DWORD n = section->SizeOfRawData;
        if (section->Misc.VirtualSize != 0 && section->Misc.VirtualSize < n)
            n = section->Misc.VirtualSize;
        if (n == 0)
            continue;
        if (section->PointerToRawData > size || n > size - section->PointerToRawData ||
            section->VirtualAddress > optional->SizeOfImage ||
            n > optional->SizeOfImage - section->VirtualAddress)
            return 0;
        const BYTE *bytes = file + section->PointerToRawData;
        BYTE *copy = (BYTE *)HeapAlloc(GetProcessHeap(), 0, n);
        same = copy != NULL &&
               Unrelocate(image, optional, delta, section->VirtualAddress, n, copy, bytes) &&
               memcmp(copy, bytes, n) == 0;
        if (copy != NULL)
            HeapFree(GetProcessHeap(), 0, copy);
    }
    return same;
}

int IsImageOfFile(const BYTE *image, const BYTE *file, DWORD size)
{
    /* the mapped headers describe what runs; the file's must be the same */
    const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)image;
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0 || dos->e_lfanew > 4096)
        return 0;
    const IMAGE_NT_HEADERS32 *nt = (const IMAGE_NT_HEADERS32 *)(image + dos->e_lfanew);
    DWORD base = (DWORD)dos->e_lfanew + offsetof(IMAGE_NT_HEADERS32, OptionalHeader.ImageBase);
    DWORD headers = nt->OptionalHeader.SizeOfHeaders;
    if (nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC || headers > size ||
        headers < base + 4 || memcmp(image, file, base) != 0 ||
        memcmp(image + base + 4, file + base + 4, headers - base - 4) != 0)
        return 0;
    /* relocated by the loader from where the file asks to be to where it
       is; or, where the program is not run from the mapping (a module
       Wine maps without running it), left as the file has it */
    DWORD delta = (DWORD)(UINT_PTR)image - Read32(file + base);
    return SameSections(image, nt, file, size, delta) ||
           (delta != 0 && SameSections(image, nt, file, size, 0));
}

int HoldImage(const wchar_t *path, const BYTE *image)
{
    DWORD size = 0, read = 0;
    if (ImageFile != NULL)
        CloseHandle(ImageFile);
    if (ImageBytes != NULL)
        HeapFree(GetProcessHeap(), 0, ImageBytes);
    ImageBytes = NULL;
    /* neither written nor renamed nor deleted while Setup runs */
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ImageFile = file != INVALID_HANDLE_VALUE ? file : NULL;
    if (ImageFile == NULL)
        return 0;
    size = GetFileSize(file, NULL);
    BYTE *bytes = size > 0 && size <= IMAGE_FILE_MAX
                      ? (BYTE *)HeapAlloc(GetProcessHeap(), 0, size)
                      : NULL;
    for (DWORD chunk = 0; bytes != NULL && read < size; read += chunk) {
        if (!ReadFile(file, bytes + read, size - read, &chunk, NULL) || chunk == 0)
            break;
    }
    if (bytes == NULL || read != size || !IsImageOfFile(image, bytes, size)) {
        if (bytes != NULL)
            HeapFree(GetProcessHeap(), 0, bytes);
        return 0;
    }
    ImageBytes = bytes;
    ImageSize = size;
    return 1;
}

int HoldOwnImage(void)
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    return n != 0 && n < MAX_PATH && HoldImage(path, (const BYTE *)GetModuleHandleA(NULL));
}

const BYTE *OwnImageBytes(DWORD *size)
{
    *size = ImageSize;
    return ImageBytes;
}

HANDLE OwnImageFile(void)
{
    return ImageBytes != NULL ? ImageFile : INVALID_HANDLE_VALUE;
}
