/*
 * The registry keys a run changes (see snapshot.h): a key is remembered
 * by its values one after another in KeyValues, and put back by deleting
 * it with whatever the run wrote there and making it again.
 */
#include "snapshot.h"

#include <string.h>

#include "change.h"
#include "log.h"
#include "texts.h"

/* the registry keys remembered, in the order of their first change, and
   their values one after another in KeyValues: the name with its NUL,
   the type, the size and the data */
struct RememberedKey {
    HKEY root;
    const char *path;
    int existed;
    size_t start, end;
};
static RememberedKey Keys[SNAPSHOT_KEYS];
static size_t KeyCount;
static BYTE KeyValues[SNAPSHOT_BYTES];
static size_t KeyValuesUsed;
/* a value's name, with its NUL, at most; after it its type and its size,
   4 bytes each, then its data */
#define VALUE_NAME_ROOM 256
#define VALUE_HEADER 8

int RememberKey(HKEY root, const char *path)
{
    for (size_t i = 0; i < KeyCount; i++) {
        if (Keys[i].root == root && lstrcmpiA(Keys[i].path, path) == 0)
            return MayChange();
    }
    if (KeyCount == sizeof(Keys) / sizeof(Keys[0]) || !MayChange())
        return 0;
    RememberedKey *remembered = &Keys[KeyCount];
    remembered->root = root;
    remembered->path = path;
    remembered->start = remembered->end = KeyValuesUsed;
    HKEY key;
    LONG status = RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key);
    remembered->existed = status == ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) {
        KeyCount += status == ERROR_FILE_NOT_FOUND;
        return status == ERROR_FILE_NOT_FOUND;
    }
    size_t used = KeyValuesUsed;
    for (DWORD index = 0;; index++) {
        /* name with its NUL, type, size, data */
        char *name = (char *)KeyValues + used;
        size_t room = sizeof(KeyValues) - used;
        DWORD nameRoom = room < VALUE_NAME_ROOM ? (DWORD)room : VALUE_NAME_ROOM, nameLength = nameRoom;
        DWORD type = 0, size = 0;
        status = RegEnumValueA(key, index, name, &nameLength, NULL, &type, NULL, &size);
        if (status != ERROR_SUCCESS)
            break;
        size_t header = used + nameLength + 1;
        if (header + VALUE_HEADER + size > sizeof(KeyValues)) {
            status = ERROR_MORE_DATA;
            break;
        }
        nameLength = nameRoom;
        status = RegEnumValueA(key, index, name, &nameLength, NULL, &type,
                               KeyValues + header + VALUE_HEADER,
                               &size);
        if (status != ERROR_SUCCESS)
            break;
        memcpy(KeyValues + header, &type, 4);
        memcpy(KeyValues + header + 4, &size, 4);
        used = header + VALUE_HEADER + size;
    }
    RegCloseKey(key);
    if (status != ERROR_NO_MORE_ITEMS) {
        LogError("レジストリ読み込み", path, (DWORD)status);
        return 0;
    }
    remembered->end = KeyValuesUsed = used;
    KeyCount++;
    return 1;
}

/* a remembered key as it was: the key deleted, then made again with its
   values where there was one */
static void RestoreKey(const RememberedKey *remembered)
{
    HKEY key;
    /* gone with whatever the run wrote there; one that keeps a key below
       it keeps its values too, and gets the remembered ones over them */
    RegDeleteKeyA(remembered->root, remembered->path);
    if (!remembered->existed)
        return;
    if (RegCreateKeyExA(remembered->root, remembered->path, 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS) {
        LogFailure("元に戻す", remembered->path);
        return;
    }
    for (size_t at = remembered->start; at < remembered->end;) {
        const char *valueName = (const char *)KeyValues + at;
        size_t header = at + strlen(valueName) + 1;
        DWORD type, size;
        memcpy(&type, KeyValues + header, 4);
        memcpy(&size, KeyValues + header + 4, 4);
        RegSetValueExA(key, valueName, 0, type, KeyValues + header + VALUE_HEADER, size);
        at = header + VALUE_HEADER + size;
    }
    RegCloseKey(key);
    LogLine(LOG_PUT_BACK "%s", remembered->path);
}

void RestoreRememberedKeys(void)
{
    while (KeyCount > 0)
        RestoreKey(&Keys[--KeyCount]);
    KeyValuesUsed = 0;
}

void ForgetRememberedKeys(void)
{
    KeyCount = 0;
    KeyValuesUsed = 0;
}
