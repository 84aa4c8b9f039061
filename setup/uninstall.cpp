/*
 * Uninstall: the product's program files (files.cpp), every registry key
 * of the product (the machine's record, and this account's settings and
 * record) and the context-menu verb keys, then the uninstall entry. It leaves what the wizard's note announces: the keyword file and
 * files it does not know, Setup itself (it is running), the folder and
 * shortcuts. Every deletion ignores its result; a missing file or key is
 * no failure.
 */
#include "setup.h"
#include "texts.h"

struct KeyRow {
    HKEY root;
    const char *path;
};

/* every subkey before its parent; "Software\Veskaro" itself stays under
   HKEY_CURRENT_USER, where the maker's other products may keep theirs */
static const KeyRow kDeleteKeys[] = {
    {HKEY_LOCAL_MACHINE, QV_MACHINE_SETUP_KEY},
    {HKEY_LOCAL_MACHINE, QV_MACHINE_PRODUCT_KEY},
    {HKEY_CURRENT_USER, QV_MAIN_KEY},
    {HKEY_CURRENT_USER, QV_OPTION_KEY},
    {HKEY_CURRENT_USER, QV_SETUP_KEY},
    {HKEY_CURRENT_USER, QV_PRODUCT_KEY},
    {HKEY_CLASSES_ROOT, QV_VERB_KEY("*") "\\Command"},
    {HKEY_CLASSES_ROOT, QV_VERB_KEY("*")},
    {HKEY_CLASSES_ROOT, QV_VERB_KEY("Directory") "\\Command"},
    {HKEY_CLASSES_ROOT, QV_VERB_KEY("Directory")},
    {HKEY_CLASSES_ROOT, QV_VERB_KEY("Drive") "\\Command"},
    {HKEY_CLASSES_ROOT, QV_VERB_KEY("Drive")},
};

/* the maker's key under HKEY_LOCAL_MACHINE, when nothing is left in it */
static void DeleteMakerKeyIfEmpty(void)
{
    HKEY key;
    DWORD subkeys = 1, values = 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, QV_MACHINE_MAKER_KEY, 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    LONG status = RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL,
                                   NULL, NULL, NULL);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && subkeys == 0 && values == 0)
        DeleteRegistryKey(HKEY_LOCAL_MACHINE, QV_MACHINE_MAKER_KEY);
}

static void DeleteProductKeys(void)
{
    for (size_t i = 0; i < sizeof(kDeleteKeys) / sizeof(kDeleteKeys[0]); i++)
        DeleteRegistryKey(kDeleteKeys[i].root, kDeleteKeys[i].path);
    DeleteMakerKeyIfEmpty();
}

void UninstallAction(HWND hwnd)
{
    DeleteProductFiles();
    DeleteProductKeys();
    DeleteUninstallEntry();
    SetupBox(hwnd, SETUP_UNINSTALLED_TEXT, MB_ICONINFORMATION);
}
