/*
 * Names that Setup, Helper and the product's main program share: the files
 * of the install folder, the keyword file, the change message, the named
 * mutexes, the registry keys and the context-menu verb. The main program
 * is not ours; these strings are the contract with it and must not change.
 */
#ifndef QUORVANE_COMMON_NAMES_H
#define QUORVANE_COMMON_NAMES_H

#define QV_MAKER_NAME "Veskaro"
#define QV_PRODUCT_NAME "Quorvane"
/* the maker's notice, in both programs' version resources and the wizard */
#define QV_COPYRIGHT "(C) 2026 Veskaro"

/* held by the main program while it runs, and by Setup for its whole run */
#define QV_GUARD_MUTEX "WinQuorvane"

/* held by every running Helper; Setup does not run while one exists, as
   it would replace or delete Helper.exe under it */
#define QV_HELPER_MUTEX "QuorvaneHelper"

/* broadcast by Helper after every confirmed assignment, with no data */
#define QV_UPDATE_MESSAGE "WM_QUORVANEFILEUPDATE"

/* the install folder: the programs, the main program's help and its
   generated index, the readme, and the main program's two data files */
#define QV_MAIN_EXE "Quorvane.exe"
#define QV_HELPER_EXE "Helper.exe"
#define QV_SETUP_EXE "Setup.exe"
#define QV_HELP_FILE "Quorvane.hlp"
#define QV_HELP_CONTENTS_FILE "Quorvane.cnt"
#define QV_HELP_INDEX_FILE "Quorvane.GID"
#define QV_README_FILE "Readme.txt"
#define QV_SETTINGS_FILE "NoTitle.set"
/* the user's keyword records, beside Helper.exe */
#define QV_KEYWORD_FILE "!Default.kws"

/* settings of the main program, seeded by Setup, and the installation
   record that earlier Setups wrote and this one still keeps (under
   HKEY_CURRENT_USER) */
#define QV_PRODUCT_KEY "Software\\Veskaro\\Quorvane"
#define QV_MAIN_KEY QV_PRODUCT_KEY "\\Main"
#define QV_OPTION_KEY QV_PRODUCT_KEY "\\Option"
#define QV_SETUP_KEY QV_PRODUCT_KEY "\\Setup"
/* the installation record's values: the folder, ending in its backslash,
   and the version of the Setup that wrote it (130 for 1.30) */
#define QV_INSTALL_PATH_VALUE "InstallPath"
#define QV_VERSION_VALUE "Version"

/* the installation record of the whole machine (under
   HKEY_LOCAL_MACHINE, which only administrators may change), and the
   maker's key above the product's there */
#define QV_MACHINE_MAKER_KEY "SOFTWARE\\Veskaro"
#define QV_MACHINE_PRODUCT_KEY QV_MACHINE_MAKER_KEY "\\Quorvane"
#define QV_MACHINE_SETUP_KEY QV_MACHINE_PRODUCT_KEY "\\Setup"

/* the entry in the Windows uninstall list (under HKEY_LOCAL_MACHINE) and
   the name it shows */
#define QV_DISPLAY_NAME "Veskaro Quorvane"
#define QV_UNINSTALL_KEY \
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veskaro Quorvane"

/* the context-menu verb the main program sets up to start Helper, under
   HKEY_CLASSES_ROOT "*" (files), "Directory" and "Drive" */
#define QV_VERB_NAME "キーワードの割り当て(&K)..."
#define QV_VERB_KEY(owner) owner "\\shell\\" QV_VERB_NAME

#endif
