/*
 * Uninstall: the product's program files (files.cpp), every registry key
 * of the product (the machine's record, and this account's settings and
 * record) and the context-menu verb keys, then the uninstall entry. It
 * leaves what the wizard's note announces: the keyword file and files it
 * does not know, Setup itself (it is running), the folder and shortcuts.
 * A file in use is found before anything is deleted; a file that still
 * cannot be deleted keeps the record and the uninstall entry, so that the
 * uninstall can be run again. A missing file or key is no failure.
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

static void DeleteProductKeys(void)
{
    for (size_t i = 0; i < sizeof(kDeleteKeys) / sizeof(kDeleteKeys[0]); i++)
        DeleteRegistryKey(kDeleteKeys[i].root, kDeleteKeys[i].path);
    DeleteMachineKeyIfEmpty(QV_MACHINE_MAKER_KEY);
}

void UninstallAction(HWND hwnd)
{
    if (DeleteProductFiles(hwnd) > 0) {
        /* so that the product can still be uninstalled once the cause is
           gone */
        LogLine("削除できないファイルがあるため、記録とアンインストールのエントリを残します");
        SetupBox(hwnd, SETUP_UNINSTALL_INCOMPLETE_TEXT, MB_ICONWARNING);
        if (SilentRun)
            ExitRun(RunFailed);
        return;
    }
    DeleteProductKeys();
    DeleteUninstallEntry();
    SetupBox(hwnd, SETUP_UNINSTALLED_TEXT, MB_ICONINFORMATION);
}
