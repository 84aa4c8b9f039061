/*
 * A setup media folder with placeholder files of distinct bytes (see
 * media.h).
 */
#include "media.h"

#include <windows.h>

#include <string.h>

#include "files.h"
#include "process.h"

std::vector<const ProductFile *> MediaRows()
{
    std::vector<const ProductFile *> rows;
    for (const ProductFile &file : kProductFiles) {
        if (file.mediaName != NULL)
            rows.push_back(&file);
    }
    return rows;
}

const char *MediaNameOf(const char *name)
{
    for (const ProductFile *row : MediaRows()) {
        if (strcmp(row->name, name) == 0)
            return row->mediaName;
    }
    return "<not on the media>";
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

/* the built program a media file is, if it is one of ours */
static std::string BuiltProgram(const ProductFile *row)
{
    if (strcmp(row->name, QV_SETUP_EXE) == 0 || strcmp(row->name, QV_HELPER_EXE) == 0)
        return BinFile(row->name);
    return std::string();
}

int LayOutMediaBeside(std::vector<std::string> *written)
{
    for (const ProductFile *row : MediaRows()) {
        std::string path = BinFile(row->mediaName);
        if (strcmp(row->name, QV_SETUP_EXE) == 0)
            continue;
        written->push_back(path);
        std::string program = BuiltProgram(row);
        if (!program.empty() ? !CopyFileA(program.c_str(), path.c_str(), FALSE)
                             : !WriteFileBytes(path, MediaContent(row->mediaName)))
            return 0;
    }
    return 1;
}

void RemoveMediaBeside(const std::vector<std::string> &written)
{
    for (const std::string &path : written)
        DeleteFileA(path.c_str());
}

int BuildMedia(const std::string &folder, const char *omit)
{
    if (!MakeFreshFolder(folder))
        return 0;
    std::string base = WithoutBackslash(folder) + "\\";
    for (const ProductFile *row : MediaRows()) {
        if (omit != NULL && strcmp(omit, row->mediaName) == 0)
            continue;
        std::string target = base + row->mediaName;
        std::string program = BuiltProgram(row);
        if (!program.empty()) {
            if (!CopyFileA(program.c_str(), target.c_str(), FALSE))
                return 0;
        } else if (!WriteFileBytes(target, MediaContent(row->mediaName))) {
            return 0;
        }
    }
    return 1;
}
