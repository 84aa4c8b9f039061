/*
 * Setup's command line, word by word: what deployment tools write after
 * Setup.exe, and what is not understood. Platform-free, also built
 * natively under the sanitizers.
 */
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "setup/switches.h"

/* code page 932 bytes spelled out, for the native build (see
   text_test.cpp) */
#define HYO "\x95\x5c"                   /* 表 */
#define SO "\x83\x5c"                    /* ソ */
#define SOFUTO SO "\x83\x74\x83\x67"      /* ソフト */

namespace {

TEST(SetupSwitches, AreWordsInAnyOrderAndCase)
{
    struct Row {
        const char *arguments;
        int silent, uninstall, help, noRestart, hasFolder;
        const char *folder;
        const char *log;
    } rows[] = {
        {"", 0, 0, 0, 0, 0, "", ""},
        {" /S ", 1, 0, 0, 0, 0, "", ""},
        {"/s /uninstall /norestart", 1, 1, 0, 1, 0, "", ""},
        {"/UnInstall\t/S", 1, 1, 0, 0, 0, "", ""},
        {"/S /? /UNINSTALL", 1, 1, 1, 0, 0, "", ""},
        /* a quoted stretch belongs to its word, and its quotes go */
        {"\"/S\" \"/D=C:\\My " HYO " Apps\\Q\"", 1, 0, 0, 0, 1, "C:\\My " HYO " Apps\\Q", ""},
        {"/S /d=\"C:\\My Apps\\\"", 1, 0, 0, 0, 1, "C:\\My Apps\\", ""},
        {"/LOG=\"C:\\my logs\\" HYO ".log\" /S", 1, 0, 0, 0, 0, "", "C:\\my logs\\" HYO ".log"},
        {"/log=C:\\setup.log /S", 1, 0, 0, 0, 0, "", "C:\\setup.log"},
        {"/LOG=\"C:\\unclosed /S", 0, 0, 0, 0, 0, "", "C:\\unclosed /S"},
        /* an unquoted /D= takes the rest of the line, as it always did */
        {"/S /D=C:\\Program Files\\" SOFUTO " " HYO "  ", 1, 0, 0, 0, 1,
         "C:\\Program Files\\" SOFUTO " " HYO, ""},
        {"/S /D=C:\\a /sdir", 1, 0, 0, 0, 1, "C:\\a /sdir", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.arguments);
        struct SetupSwitches s;
        memset(&s, 'Z', sizeof(s));
        ParseSetupSwitches(row.arguments, &s);
        EXPECT_EQ(1, s.understood) << s.notUnderstood;
        EXPECT_EQ(row.silent, s.silent);
        EXPECT_EQ(row.uninstall, s.uninstall);
        EXPECT_EQ(row.help, s.help);
        EXPECT_EQ(row.noRestart, s.noRestart);
        EXPECT_EQ(row.hasFolder, s.hasFolder);
        EXPECT_STREQ(row.folder, s.folder);
        EXPECT_STREQ(row.log, s.log);
    }
}

TEST(SetupSwitches, WhatIsNotUnderstoodIsNamed)
{
    struct Row {
        const char *arguments, *word;
    } rows[] = {
        {"/S /UNINSTAL", "/UNINSTAL"},
        {"/S /SILENT", "/SILENT"},
        {"/S C:\\x", "C:\\x"},
        {"/S /D=", "/D="},
        {"/S \"/D=\"", "/D="},
        {"/S /LOG= /D=C:\\x", "/LOG="},
        /* a switch after a blank in an unquoted /D= */
        {"/S /D=C:\\Q6 /LOG=C:\\s6b.log", "/LOG=C:\\s6b.log"},
        {"/D=C:\\x /S", "/S"},
        {"/S /D=C:\\x \"/uninstall\"", "/uninstall"},
        {"/S \"/D=C:\\x /norestart\"", "/norestart"},
        {"/S /LOG=a /LOG=b", "/LOG=b"},
        {"/S \"/D=C:\\a\" \"/D=C:\\b\"", "/D=C:\\b"},
        {"/S /UNINSTALL \"/D=C:\\x\"", "/UNINSTALL"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.arguments);
        struct SetupSwitches s;
        ParseSetupSwitches(row.arguments, &s);
        EXPECT_EQ(0, s.understood);
        EXPECT_STREQ(row.word, s.notUnderstood);
    }
}

TEST(SetupSwitches, ValuesThatDoNotFitAreEmpty)
{
    struct SetupSwitches s;
    std::string fits = "/S /D=C:\\" + std::string(256, 'f');  /* 259 bytes */
    ParseSetupSwitches(fits.c_str(), &s);
    EXPECT_EQ(259u, strlen(s.folder));
    std::string over = "/LOG=C:\\" + std::string(257, 'l') + " /S \"/D=C:\\" +
                       std::string(257, 'f') + "\"";
    ParseSetupSwitches(over.c_str(), &s);
    EXPECT_TRUE(s.silent && s.hasFolder && s.understood);
    EXPECT_EQ(260u, s.folderLength);
    EXPECT_STREQ("", s.log);
    EXPECT_STREQ("", s.folder);
}

} // namespace
