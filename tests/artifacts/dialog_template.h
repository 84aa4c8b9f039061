/*
 * Reads a classic dialog template back from a program's resources, so
 * that tests check what the shipped .exe carries: style, size, font,
 * caption and every control in template order. Texts come back as code
 * page 932 bytes. The dialog itself can be made from the same template,
 * to measure its texts in its own fonts.
 */
#ifndef QUORVANE_TESTS_ARTIFACTS_DIALOG_TEMPLATE_H
#define QUORVANE_TESTS_ARTIFACTS_DIALOG_TEMPLATE_H

#include <windows.h>

#include <string>
#include <vector>

struct DialogItem {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    WORD id;
    std::string className; /* "#128" for the ordinal of BUTTON */
    std::string text;
};

struct DialogTemplate {
    int extended;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    std::string menu;
    std::string windowClass;
    std::string caption;
    WORD pointSize;
    std::string fontFace;
    std::vector<DialogItem> items;
};

/* 1 when the template was found and parsed */
int LoadDialogTemplate(const std::string &exe, const char *name,
                       DialogTemplate *result);

/* the dialog the program's template makes, created in this process with
   a procedure that handles nothing; hidden, as the template has no
   WS_VISIBLE. NULL when there is no such template. */
HWND CreateDialogFromProgram(const std::string &exe, const char *name);

struct IconImage {
    int width, height, colours, bitCount;
};
/* the images of an icon group resource */
int LoadIconGroup(const std::string &exe, const char *name,
                  std::vector<IconImage> *images);

/* the raw bytes of any resource */
int LoadResourceBytes(const std::string &exe, LPCSTR type, LPCSTR name,
                      std::string *data);

#endif
