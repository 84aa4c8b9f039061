/*
 * A fresh install read back (see install_check.h).
 */
#include "install_check.h"

#include <windows.h>

#include "common/names.h"
#include "version.h"
#include "tests/support/contract.h"
#include "tests/support/support.h"

namespace {

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
    for (const ProductFile *row : MediaRows()) {
        std::string source, copy;
        if (!ReadFileBytes(media + row->mediaName, &source) ||
            !ReadFileBytes(folder + row->name, &copy) || copy != source)
            out.push_back(std::string(row->name) + " is not a copy of " + row->mediaName);
    }
    const char *const dataFiles[] = {QV_SETTINGS_FILE, QV_KEYWORD_FILE};
    for (const char *name : dataFiles) {
        std::string data;
        if (!ReadFileBytes(folder + name, &data) || !data.empty())
            out.push_back(std::string(name) + " is not an empty file");
    }

    for (const DwordValue &value : kMainDefaults)
        CheckDword(&out, HKEY_CURRENT_USER, "HKCU", QV_MAIN_KEY, value.name, value.value);
    for (const DwordValue &value : kOptionDefaults)
        CheckDword(&out, HKEY_CURRENT_USER, "HKCU", QV_OPTION_KEY, value.name, value.value);
    CheckString(&out, HKEY_LOCAL_MACHINE, "HKLM", QV_MACHINE_SETUP_KEY, QV_INSTALL_PATH_VALUE,
                folder);
    CheckDword(&out, HKEY_LOCAL_MACHINE, "HKLM", QV_MACHINE_SETUP_KEY, QV_VERSION_VALUE,
               QV_VERSION_NUMBER);
    CheckString(&out, HKEY_CURRENT_USER, "HKCU", QV_SETUP_KEY, QV_INSTALL_PATH_VALUE, folder);
    CheckDword(&out, HKEY_CURRENT_USER, "HKCU", QV_SETUP_KEY, QV_VERSION_VALUE, QV_VERSION_NUMBER);

    std::string program = folder + QV_SETUP_EXE;
    std::string quoted = "\"" + program + "\"";
    CheckString(&out, HKEY_LOCAL_MACHINE, "HKLM", QV_UNINSTALL_KEY, "DisplayName", QV_DISPLAY_NAME);
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
