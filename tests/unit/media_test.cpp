/*
 * The setup media: each file opened once and hashed with what Windows
 * provides, copied from that same handle, a file compared with it, and
 * the running program told from its copies; Setup's own program file
 * proven against the image that runs.
 */
#include <stddef.h>
#include <string.h>

#include <algorithm>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "registry_fixture.h"
#include "setup/files.h"
#include "setup/media.h"
#include "tests/support/support.h"

namespace {

TEST(Media, HashIsSha256)
{
    const std::string path = TestRoot() + "abc.txt";
    ASSERT_TRUE(MakeFreshFolder(TestRoot()));
    ASSERT_TRUE(WriteFileBytes(path, "abc"));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    BYTE digest[32];
    DWORD size = 0;
    EXPECT_TRUE(HashFile(file, digest, &size));
    CloseHandle(file);
    /* the standard's own example */
    const BYTE expected[32] = {0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40,
                               0xde, 0x5d, 0xae, 0x22, 0x23, 0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17,
                               0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
    EXPECT_EQ(0, memcmp(expected, digest, 32));
    EXPECT_EQ(3u, size);
    DeleteTree(TestRoot());
}

/* file laid out as Windows' loader lays out a program at another base
   than its own: headers and sections in their places, each relocation
   applied and the import addresses filled in. Wine maps a module it does
   not run without relocating it */
BYTE *LayOutRelocated(const std::string &file)
{
    const IMAGE_NT_HEADERS32 *nt =
        (const IMAGE_NT_HEADERS32 *)(file.data() + ((const IMAGE_DOS_HEADER *)file.data())->e_lfanew);
    BYTE *image = (BYTE *)VirtualAlloc(NULL, nt->OptionalHeader.SizeOfImage,
                                       MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (image == NULL)
        return NULL;
    memcpy(image, file.data(), nt->OptionalHeader.SizeOfHeaders);
    const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; i++, section++)
        memcpy(image + section->VirtualAddress, file.data() + section->PointerToRawData,
               std::min(section->SizeOfRawData, section->Misc.VirtualSize));
    const DWORD delta = (DWORD)(UINT_PTR)image - nt->OptionalHeader.ImageBase;
    const IMAGE_DATA_DIRECTORY &relocations =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
    for (DWORD at = 0, size = 0; at < relocations.Size; at += size) {
        const BYTE *block = image + relocations.VirtualAddress + at;
        DWORD page = *(const DWORD *)block;
        size = *(const DWORD *)(block + 4);
        for (DWORD entry = 8; entry < size; entry += 2) {
            WORD word = *(const WORD *)(block + entry);
            if (word >> 12 == IMAGE_REL_BASED_HIGHLOW)
                *(DWORD *)(image + page + (word & 0xFFF)) += delta;
        }
    }
    const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    memset(image + imports.VirtualAddress, 0xCC, imports.Size);
    return image;
}

TEST(Media, OnlyTheFileOfTheImageThatRunsIsProvenToBeIt)
{
    std::string setup, helper;
    ASSERT_TRUE(ReadFileBytes(BinFile(QV_SETUP_EXE), &setup));
    ASSERT_TRUE(ReadFileBytes(BinFile(QV_HELPER_EXE), &helper));
    BYTE *image = LayOutRelocated(setup);
    ASSERT_NE(nullptr, image);
    const DWORD header = ((const IMAGE_DOS_HEADER *)image)->e_lfanew;
    const IMAGE_NT_HEADERS32 *nt = (const IMAGE_NT_HEADERS32 *)(image + header);
    ASSERT_NE(0u, nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size);
    struct Row {
        std::string what, bytes;
        int proven;
    } rows[] = {
        {"the file", setup, 1},
        {"the file and a signature after it", setup + "signature", 1},
        {"another program", helper, 0},
        {"the file cut in its middle", setup.substr(0, setup.size() / 2), 0},
        {"another entry point", setup, 0},
    };
    rows[4].bytes[header + offsetof(IMAGE_NT_HEADERS32, OptionalHeader.AddressOfEntryPoint)] ^= 1;
    /* one byte in the middle of each section */
    std::vector<Row> changed;
    const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; i++, section++) {
        if (section->SizeOfRawData == 0)
            continue;
        changed.push_back({std::string((const char *)section->Name, 8), setup, 0});
        changed.back().bytes[section->PointerToRawData + section->Misc.VirtualSize / 2] ^= 1;
    }
    changed.insert(changed.end(), rows, rows + 5);
    for (const Row &row : changed) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.proven, IsImageOfFile(image, (const BYTE *)row.bytes.data(),
                                            (DWORD)row.bytes.size()));
    }
    VirtualFree(image, 0, MEM_RELEASE);
    /* as Wine maps a module it does not run: not relocated */
    EXPECT_NE(nullptr, HoldBuiltSetup());
}

TEST(Media, CopiesAndComparisonsComeFromTheFilesOpenedOnce)
{
    std::vector<std::string> written;
    ASSERT_NE(nullptr, HoldBuiltSetup());
    ASSERT_TRUE(LayOutMediaBeside(&written));
    ASSERT_TRUE(MakeFreshFolder(TestRoot()));
    char problem[MAX_PATH];
    ASSERT_EQ(MediaReady, OpenMedia(problem, sizeof(problem)));
    for (size_t row = 0; row < kProductFileCount; row++) {
        const ProductFile &file = kProductFiles[row];
        if (file.mediaName == NULL)
            continue;
        SCOPED_TRACE(file.name);
        /* held denying writes until the media are closed */
        std::string media = BinFile(file.mediaName);
        if (strcmp(file.name, QV_SETUP_EXE) != 0) {
            HANDLE writer = CreateFileA(media.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL,
                                        OPEN_EXISTING, 0, NULL);
            EXPECT_EQ(INVALID_HANDLE_VALUE, writer) << "written under Setup's hand";
            if (writer != INVALID_HANDLE_VALUE)
                CloseHandle(writer);
        }
        std::string copy = TestRoot() + file.name;
        HANDLE to = CreateFileA(copy.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, to);
        EXPECT_EQ(MediaReady, CopyMediaFile(row, to));
        CloseHandle(to);
        EXPECT_TRUE(MatchesMediaFile(row, copy.c_str()));
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(copy, &bytes));
        bytes[bytes.size() / 2] ^= 1;
        ASSERT_TRUE(WriteFileBytes(copy, bytes));
        EXPECT_FALSE(MatchesMediaFile(row, copy.c_str())) << "one byte changed";
        EXPECT_FALSE(MatchesMediaFile(row, (copy + ".missing").c_str()));
    }
    /* the held program is Setup.exe of the media; a copy of it is not */
    EXPECT_TRUE(IsRunningImage(BinFile(QV_SETUP_EXE).c_str()));
    EXPECT_FALSE(IsRunningImage((TestRoot() + QV_SETUP_EXE).c_str()));
    CloseMedia();
    RemoveMediaBeside(written);
    DeleteTree(TestRoot());
}

TEST(Media, EachMissingFileIsNamedBeforeAnythingIsRead)
{
    for (const ProductFile *missing : MediaRows()) {
        /* Setup.exe is the running program: never missing */
        if (strcmp(missing->name, QV_SETUP_EXE) == 0)
            continue;
        SCOPED_TRACE(missing->mediaName);
        std::vector<std::string> written;
        ASSERT_NE(nullptr, HoldBuiltSetup());
        ASSERT_TRUE(LayOutMediaBeside(&written));
        ASSERT_TRUE(DeleteFileA(BinFile(missing->mediaName).c_str()));
        char problem[MAX_PATH];
        EXPECT_EQ(MediaMissing, OpenMedia(problem, sizeof(problem)));
        EXPECT_EQ(BinFile(missing->mediaName), std::string(problem));
        CloseMedia();
        RemoveMediaBeside(written);
    }
}

} // namespace
