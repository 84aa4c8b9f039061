/*
 * Uninstall: the product's program files (files.cpp), every registry key
 * of the product and the context-menu verb keys, then the uninstall
 * entry. It leaves what the wizard's note announces: the keyword file and
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

/* every subkey before its parent; "Software\Veskaro" itself stays */
static const KeyRow kDeleteKeys[] = {
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

static void DeleteProductKeys(void)
{
    for (size_t i = 0; i < sizeof(kDeleteKeys) / sizeof(kDeleteKeys[0]); i++)
        DeleteRegistryKey(kDeleteKeys[i].root, kDeleteKeys[i].path);
}

void UninstallAction(HWND hwnd)
{
    DeleteProductFiles();
    DeleteProductKeys();
    DeleteUninstallEntry();
    SetupBox(hwnd, SETUP_UNINSTALLED_TEXT, MB_ICONINFORMATION);
}
