/*
 * The registry as tests set it up and read it back (see registry.h).
 */
#include "registry.h"

#include <string.h>

#include "contract.h"

void DeleteKeyTree(HKEY root, const char *key)
{
    RegDeleteTreeA(root, key);
    RegDeleteKeyA(root, key);
}

void ResetProductRegistry()
{
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Veskaro");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kMachineMakerKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    for (const char *key : kVerbKeys)
        DeleteKeyTree(HKEY_CLASSES_ROOT, key);
    /* what a run left to the next restart, which no test restarts */
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPendingKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, kPendingValue);
        RegCloseKey(key);
    }
}

int PendingMentions(const std::string &path)
{
    std::string list;
    DWORD type = 0;
    int count = 0;
    if (!ReadRaw(HKEY_LOCAL_MACHINE, kPendingKey, kPendingValue, &list, &type))
        return 0;
    /* "\??\C:\x", then "", "\??\C:\y" or "!\??\C:\y", pair by pair */
    for (size_t at = 0; at < list.size(); at = list.find('\0', at) + 1) {
        const std::string name = list.c_str() + at;
        count += name == "\\??\\" + path || name == "!\\??\\" + path;
        if (list.find('\0', at) == std::string::npos)
            break;
    }
    return count;
}

int ReadRaw(HKEY root, const char *key, const char *name, std::string *data,
            DWORD *type)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return 0;
    DWORD size = 0, t = 0;
    LONG status = RegQueryValueExA(handle, name, NULL, &t, NULL, &size);
    if (status == ERROR_SUCCESS) {
        std::vector<char> buffer(size + 1);
        status = RegQueryValueExA(handle, name, NULL, &t, (BYTE *)buffer.data(), &size);
        if (status == ERROR_SUCCESS) {
            data->assign(buffer.data(), size);
            if (type != NULL)
                *type = t;
        }
    }
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

int ReadDword(HKEY root, const char *key, const char *name, DWORD *value,
              DWORD *type)
{
    std::string data;
    DWORD t = 0;
    if (!ReadRaw(root, key, name, &data, &t) || data.size() != 4)
        return 0;
    memcpy(value, data.data(), 4);
    if (type != NULL)
        *type = t;
    return 1;
}

int ReadString(HKEY root, const char *key, const char *name, std::string *value)
{
    std::string data;
    DWORD t = 0;
    if (!ReadRaw(root, key, name, &data, &t) || t != REG_SZ)
        return 0;
    *value = data;
    return 1;
}

int KeyExists(HKEY root, const char *key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(handle);
    return 1;
}

int ValueNames(HKEY root, const char *key, std::vector<std::string> *names)
{
    HKEY handle;
    names->clear();
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return 0;
    for (DWORD i = 0;; i++) {
        char name[512];
        DWORD size = sizeof(name);
        if (RegEnumValueA(handle, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        names->push_back(name);
    }
    RegCloseKey(handle);
    return 1;
}

int CreateKey(HKEY root, const char *key)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &handle,
                        NULL) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(handle);
    return 1;
}

int CreateVolatileKey(HKEY root, const char *key)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key, 0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL, &handle,
                        NULL) != ERROR_SUCCESS)
        return 0;
    RegCloseKey(handle);
    return 1;
}

int WriteValue(HKEY root, const char *key, const char *name, DWORD type,
               const void *data, DWORD size)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &handle,
                        NULL) != ERROR_SUCCESS)
        return 0;
    LONG status = RegSetValueExA(handle, name, 0, type, (const BYTE *)data, size);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

int WriteDword(HKEY root, const char *key, const char *name, DWORD value)
{
    return WriteValue(root, key, name, REG_DWORD, &value, 4);
}

int WriteString(HKEY root, const char *key, const char *name,
                const std::string &text)
{
    return WriteValue(root, key, name, REG_SZ, text.c_str(), (DWORD)text.size() + 1);
}

static const char kDesktopKey[] = "Control Panel\\Desktop";

ScreenDpi::ScreenDpi(DWORD dpi) : previous_(96), had_(0)
{
    had_ = ReadDword(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", &previous_);
    WriteDword(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", dpi);
}

ScreenDpi::~ScreenDpi()
{
    WriteDword(HKEY_CURRENT_USER, kDesktopKey, "LogPixels", had_ ? previous_ : 96);
}
