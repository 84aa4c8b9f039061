/*
 * The ends of a run and its boxes: each end's exit code, and a silent
 * run's boxes answered by its rule without a window.
 */
#include <gtest/gtest.h>

#include "setup/ends.h"
#include "setup/setup.h"
#include "setup/texts.h"
#include "tests/support/support.h"

namespace {

TEST(Ends, EachEndHasTheCodesDeploymentToolsKnow)
{
    /* spelled out on purpose: Windows Installer's codes, which deployment
       tools act on, and the codes interactive runs always had */
    struct Row {
        int end, interactive, silent;
    } rows[] = {
        {RunDone, 0, 0},     {RunBusy, 1, 1618},           {RunFailed, -1, 1603},
        {RunNotUnderstood, -1, 1639}, {RunNewer, 0, 1638}, {RunRefused, -1, 1603},
        {RunFatal, -1, 1603},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.end);
        SilentRun = 0;
        EXPECT_EQ(row.interactive, ExitCodeOf(row.end));
        SilentRun = 1;
        EXPECT_EQ(row.silent, ExitCodeOf(row.end));
    }
    SilentRun = 0;
}

TEST(Ends, ASilentRunShowsNoBoxAndAnswersByItsRule)
{
    BoxCatcher boxes;
    SilentRun = 1;
    /* the folder a deployment tool named is made; nothing is waited for */
    EXPECT_EQ(IDYES, SetupBox(NULL, SETUP_CREATE_QUESTION, MB_ICONQUESTION | MB_YESNO));
    EXPECT_EQ(IDCANCEL, SetupBox(NULL, SETUP_IN_USE_AFTER, MB_ICONWARNING | MB_RETRYCANCEL));
    EXPECT_EQ(IDOK, SetupBox(NULL, SETUP_FATAL_TEXT, MB_ICONERROR));
    SilentRun = 0;
    EXPECT_TRUE(boxes.Texts().empty()) << boxes.Texts()[0];
}

} // namespace
