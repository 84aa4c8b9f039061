/*
 * Message boxes: read from another process as the user meets them, or
 * caught in this process while a dialog under test runs in it.
 */
#ifndef QUORVANE_TESTS_SUPPORT_BOXES_H
#define QUORVANE_TESTS_SUPPORT_BOXES_H

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

enum BoxIcon { IconNone, IconError, IconQuestion, IconWarning, IconInformation, IconUnknown };

struct MessageBoxInfo {
    std::string caption;
    std::string text;
    BoxIcon icon;
    int hasOk, hasCancel, hasYes, hasNo, hasRetry;
};
MessageBoxInfo ReadMessageBox(HWND box);
const char *IconName(BoxIcon icon);

/* the box has this caption, text and icon, and exactly the buttons of
   buttons (MB_OK, MB_YESNO or MB_RETRYCANCEL); a failure names what
   differs */
::testing::AssertionResult IsBox(HWND box, const char *caption, const char *text,
                                 BoxIcon icon, UINT buttons = MB_OK);

/*
 * While one lives, every message box this thread opens is recorded and
 * dismissed as soon as it is shown (No where it has one, else Cancel,
 * else OK), so a dialog procedure under test never waits in a modal box
 * for a click that no one makes.
 */
class BoxCatcher {
public:
    BoxCatcher();
    ~BoxCatcher();
    BoxCatcher(const BoxCatcher &) = delete;
    BoxCatcher &operator=(const BoxCatcher &) = delete;
    /* the texts of the boxes caught so far */
    const std::vector<std::string> &Texts() const { return texts_; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    std::vector<std::string> texts_;
};

#endif
