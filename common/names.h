/*
 * Names that Setup, Helper and the product's main program share: the files
 * of the install folder, the keyword file, the change message, the guard
 * mutex, the registry keys and the context-menu verb. The main program is
 * not ours; these strings are the contract with it and must not change.
 */
#ifndef QUORVANE_COMMON_NAMES_H
#define QUORVANE_COMMON_NAMES_H

#define QV_PRODUCT_NAME "Quorvane"
#define QV_MAKER_NAME "Veskaro"

/* held by the main program while it runs, and by Setup for its whole run */
#define QV_GUARD_MUTEX "WinQuorvane"

/* broadcast by Helper after every confirmed assignment, with no data */
#define QV_UPDATE_MESSAGE "WM_QUORVANEFILEUPDATE"

/* the user's keyword records, beside Helper.exe in the install folder */
#define QV_KEYWORD_FILE "!Default.kws"

#define QV_MAIN_EXE "Quorvane.exe"
#define QV_HELPER_EXE "Helper.exe"
#define QV_SETUP_EXE "Setup.exe"

/* settings of the main program, seeded by Setup (under HKEY_CURRENT_USER) */
#define QV_PRODUCT_KEY "Software\\Veskaro\\Quorvane"
#define QV_MAIN_KEY QV_PRODUCT_KEY "\\Main"
#define QV_OPTION_KEY QV_PRODUCT_KEY "\\Option"
#define QV_SETUP_KEY QV_PRODUCT_KEY "\\Setup"

/* the context-menu verb the main program sets up to start Helper */
#define QV_VERB_NAME "キーワードの割り当て(&K)..."

#endif
