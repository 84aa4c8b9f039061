/*
 * A fresh install read back (see install_check.h).
 */
#include "install_check.h"

#include <windows.h>

#include "common/names.h"
#include "version.h"
#include "tests/support/support.h"

namespace {

struct Expected {
    const char *name;
    DWORD value;
};

const Expected kMainValues[] = {
    {"History", 0}, {"WindowTop", 0}, {"WindowLeft", 0},
};

const Expected kOptionValues[] = {
    {"IsCompareIC", 0}, {"IsPartOfKeyword", 0}, {"IsSearchAll", 1},
    {"IsExplorerView", 0}, {"IsEndAfterOpen", 0}, {"UseAutoComplete", 1},
    {"ShowExplorer", 1}, {"ShowSpecials", 1}, {"UseExtended", 1},
    {"IsLastLocation", 0}, {"IsOnTop", 0}, {"ShowTrayIcon", 1},
    {"UseActivateKey", 1}, {"UseActivateKeyToTop", 1}, {"UseActivateKeyMod", 0},
    {"UseActivateKeyCode", 18}, {"IsModernButton", 1}, {"ShowMenuIcon", 1},
    {"WindowSize", 0}, {"UseShellExtention", 0},
};

/* the installed name of each media file, in MediaFile order */
const char *const kInstalledNames[MediaFileCount] = {
    QV_MAIN_EXE, QV_HELP_FILE, QV_HELP_CONTENTS_FILE, QV_README_FILE, QV_SETUP_EXE, QV_HELPER_EXE,
};

void CheckDword(std::vector<std::string> *out, HKEY root, const char *rootName,
                const char *key, const char *name, DWORD expected)
{
    DWORD value = 0, type = 0;
    if (!ReadDword(root, key, name, &value, &type) || type != REG_DWORD || value != expected)
        out->push_back(std::string(rootName) + "\\" + key + "\\" + name + " is not the DWORD " +
                       std::to_string(expected));
}

void CheckString(std::vector<std::string> *out, HKEY root, const char *rootName,
                 const char *key, const char *name, const std::string &expected)
{
    std::string value;
    /* ReadString keeps the stored terminating NUL */
    if (!ReadString(root, key, name, &value) || value.c_str() != expected)
        out->push_back(std::string(rootName) + "\\" + key + "\\" + name + " is not \"" +
                       expected + "\"");
}

} // namespace

std::vector<std::string> InstallDifferences(const std::string &media, const std::string &folder)
{
    std::vector<std::string> out;
    for (int i = 0; i < MediaFileCount; i++) {
        std::string source, copy;
        if (!ReadFileBytes(media + MediaName(i), &source) ||
            !ReadFileBytes(folder + kInstalledNames[i], &copy) || copy != source)
            out.push_back(std::string(kInstalledNames[i]) + " is not a copy of " + MediaName(i));
    }
    const char *const dataFiles[] = {QV_SETTINGS_FILE, QV_KEYWORD_FILE};
    for (const char *name : dataFiles) {
        std::string data;
        if (!ReadFileBytes(folder + name, &data) || !data.empty())
            out.push_back(std::string(name) + " is not an empty file");
    }

    for (const Expected &value : kMainValues)
        CheckDword(&out, HKEY_CURRENT_USER, "HKCU", QV_MAIN_KEY, value.name, value.value);
    for (const Expected &value : kOptionValues)
        CheckDword(&out, HKEY_CURRENT_USER, "HKCU", QV_OPTION_KEY, value.name, value.value);
    CheckString(&out, HKEY_CURRENT_USER, "HKCU", QV_SETUP_KEY, "InstallPath", folder);
    CheckDword(&out, HKEY_CURRENT_USER, "HKCU", QV_SETUP_KEY, "Version", QV_VERSION_NUMBER);

    std::string program = folder + QV_SETUP_EXE;
    std::string quoted = "\"" + program + "\"";
    CheckString(&out, HKEY_LOCAL_MACHINE, "HKLM", QV_UNINSTALL_KEY, "DisplayName", "Veskaro Quorvane");
    CheckString(&out, HKEY_LOCAL_MACHINE, "HKLM", QV_UNINSTALL_KEY, "UninstallString", quoted);
    CheckString(&out, HKEY_LOCAL_MACHINE, "HKLM", QV_UNINSTALL_KEY, "QuietUninstallString",
                quoted + " /S /UNINSTALL");
    CheckString(&out, HKEY_LOCAL_MACHINE, "HKLM", QV_UNINSTALL_KEY, "DisplayIcon", program);
    CheckString(&out, HKEY_LOCAL_MACHINE, "HKLM", QV_UNINSTALL_KEY, "DisplayVersion", QV_VERSION_TEXT);
    CheckString(&out, HKEY_LOCAL_MACHINE, "HKLM", QV_UNINSTALL_KEY, "Publisher", QV_MAKER_NAME);
    CheckString(&out, HKEY_LOCAL_MACHINE, "HKLM", QV_UNINSTALL_KEY, "InstallLocation", folder);
    CheckDword(&out, HKEY_LOCAL_MACHINE, "HKLM", QV_UNINSTALL_KEY, "NoModify", 1);
    CheckDword(&out, HKEY_LOCAL_MACHINE, "HKLM", QV_UNINSTALL_KEY, "NoRepair", 1);
    return out;
}
