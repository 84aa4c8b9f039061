/*
 * What the product's main program reads at our boundary, spelled out here
 * on purpose instead of taken from the product's headers: the registry
 * layout (its keys, value names and the settings' defaults) and the
 * keyword record's format. The main program is not ours and will not
 * follow a change of names.h; a test that took its spelling from there
 * could not see Setup or Helper drift from what the main program reads.
 * Every other fact a test needs comes from the product's own headers.
 */
#ifndef QUORVANE_TESTS_SUPPORT_CONTRACT_H
#define QUORVANE_TESTS_SUPPORT_CONTRACT_H

#include <string>

/* the product's keys under HKEY_CURRENT_USER: the settings, and the
   installation record, which earlier Setups wrote only there */
inline const char kProductKey[] = "Software\\Veskaro\\Quorvane";
inline const char kMainKey[] = "Software\\Veskaro\\Quorvane\\Main";
inline const char kOptionKey[] = "Software\\Veskaro\\Quorvane\\Option";
inline const char kSetupKey[] = "Software\\Veskaro\\Quorvane\\Setup";
/* the installation record's values */
inline const char kInstallPathValue[] = "InstallPath";
inline const char kVersionValue[] = "Version";

/* the installation record of the whole machine, under
   HKEY_LOCAL_MACHINE, and the maker's key above the product's there */
inline const char kMachineMakerKey[] = "SOFTWARE\\Veskaro";
inline const char kMachineProductKey[] = "SOFTWARE\\Veskaro\\Quorvane";
inline const char kMachineSetupKey[] = "SOFTWARE\\Veskaro\\Quorvane\\Setup";

/* the entry in the Windows uninstall list, under HKEY_LOCAL_MACHINE */
inline const char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veskaro Quorvane";

/* the context-menu verb keys the main program writes under
   HKEY_CLASSES_ROOT, for files, folders and drives */
inline const char *const kVerbKeys[] = {
    "*\\shell\\キーワードの割り当て(&K)...",
    "Directory\\shell\\キーワードの割り当て(&K)...",
    "Drive\\shell\\キーワードの割り当て(&K)...",
};

/* the main program's settings as Setup seeds them where missing */
struct DwordValue {
    const char *name;
    unsigned long value;
};
inline const DwordValue kMainDefaults[] = {
    {"History", 0}, {"WindowTop", 0}, {"WindowLeft", 0},
};
inline const DwordValue kOptionDefaults[] = {
    {"IsCompareIC", 0}, {"IsPartOfKeyword", 0}, {"IsSearchAll", 1},
    {"IsExplorerView", 0}, {"IsEndAfterOpen", 0}, {"UseAutoComplete", 1},
    {"ShowExplorer", 1}, {"ShowSpecials", 1}, {"UseExtended", 1},
    {"IsLastLocation", 0}, {"IsOnTop", 0}, {"ShowTrayIcon", 1},
    {"UseActivateKey", 1}, {"UseActivateKeyToTop", 1}, {"UseActivateKeyMod", 0},
    {"UseActivateKeyCode", 18}, {"IsModernButton", 1}, {"ShowMenuIcon", 1},
    {"WindowSize", 0}, {"UseShellExtention", 0},
};

/* the longest keyword a record holds, in bytes */
const size_t kKeywordMax = 255;

/* one keyword record as the main program reads it: the keyword line, the
   target line and an empty line, each ended by CR LF */
inline std::string Record(const std::string &keyword, const std::string &target)
{
    return keyword + "\r\n" + target + "\r\n\r\n";
}

#endif
