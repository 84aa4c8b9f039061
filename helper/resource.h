/*
 * Resource names and control ids of Helper, shared by helper.rc and the
 * code.
 */
#ifndef QUORVANE_HELPER_RESOURCE_H
#define QUORVANE_HELPER_RESOURCE_H

#define IDC_KEYWORD_EDIT    9821 /* the keyword to assign, proposed from the target */
#define IDC_PROMPT          9822 /* what the box asks for */

#endif
