/*
 * Resource names and control ids of Setup, shared by setup.rc and the code.
 */
#ifndef QUORVANE_SETUP_RESOURCE_H
#define QUORVANE_SETUP_RESOURCE_H

#define IDC_FOLDER_EDIT     9821 /* install folder, folder page only */
#define IDC_MAKER_NOTICE    9822 /* bottom-left notice of the maker */
#define IDC_PAGE_FRAME      9823 /* group box around the page content */
#define IDC_PAGE_MESSAGE    9824 /* what this page does */
#define IDC_BROWSE          9825 /* folder browser, folder page only */
#define IDC_PRODUCT_TITLE   9826 /* "Quorvane" in the large bold font */
#define IDC_MODE_WORD       9827 /* Setup, Update or Uninstall */
#define IDC_UNINSTALL_NOTE  9828 /* files the uninstall leaves behind */

#endif
