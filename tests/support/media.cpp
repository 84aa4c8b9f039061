/*
 * A setup media folder with placeholder files of distinct bytes (see
 * media.h).
 */
#include "media.h"

#include <windows.h>

#include <string.h>

#include "files.h"
#include "process.h"

static const char *const kMediaNames[] = {
    "Quorvane.ex_", "Quorvane.hl_", "Quorvane.cn_", "Readme.txt", "Setup.exe", "Helper.ex_",
};

static const char *const kInstalledNames[] = {
    "Quorvane.exe", "Quorvane.hlp", "Quorvane.cnt", "Readme.txt", "Setup.exe", "Helper.exe",
};

const char *MediaName(int file)
{
    return kMediaNames[file];
}

const char *InstalledName(int file)
{
    return kInstalledNames[file];
}

std::string MediaContent(const char *name)
{
    /* distinct bytes per file, with the bytes a text copy would spoil */
    std::string content = std::string("stand-in ") + name + "\r\n";
    content += std::string("\0\x1a\r\n\xff\x81\x5c", 8);
    for (int i = 0; i < 300; i++)
        content += (char)(i * 7 + (int)strlen(name));
    return content;
}

int BuildMedia(const std::string &folder, unsigned omit)
{
    if (!MakeFreshFolder(folder))
        return 0;
    std::string base = WithoutBackslash(folder) + "\\";
    for (int i = 0; i < MediaFileCount; i++) {
        if (omit & (1u << i))
            continue;
        std::string target = base + kMediaNames[i];
        if (i == MediaSetup) {
            if (!CopyFileA(BinFile("Setup.exe").c_str(), target.c_str(), FALSE))
                return 0;
        } else if (i == MediaHelper && FileExists(BinFile("Helper.exe"))) {
            if (!CopyFileA(BinFile("Helper.exe").c_str(), target.c_str(), FALSE))
                return 0;
        } else if (!WriteFileBytes(target, MediaContent(kMediaNames[i]))) {
            return 0;
        }
    }
    return 1;
}
