/*
 * The fixture of the unit tests that read and write the product's keys: a
 * clean registry before and after each test, the default folder as
 * InstallPath, and every box Setup would show dismissed, never waited
 * in.
 */
#ifndef QUORVANE_TESTS_UNIT_REGISTRY_FIXTURE_H
#define QUORVANE_TESTS_UNIT_REGISTRY_FIXTURE_H

#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "setup/image.h"
#include "setup/setup.h"
#include "setup/texts.h"
#include "setup/folder.h"
#include "setup/transaction.h"
#include "tests/support/contract.h"
#include "tests/support/support.h"

/* the file at path held as the own image of Setup, with the built
   Setup.exe mapped as a module beside this program as the image that
   runs: the built Setup.exe is then proven, and the media's Setup.exe is
   it. NULL when path is not proven */
inline HMODULE HoldBuiltSetup(const std::string &path = BinFile(QV_SETUP_EXE))
{
    static HMODULE mapped =
        LoadLibraryExA(BinFile(QV_SETUP_EXE).c_str(), NULL, DONT_RESOLVE_DLL_REFERENCES);
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    return mapped != NULL && HoldImage(wide, mapped) ? mapped : NULL;
}

class Registry : public ::testing::Test {
protected:
    BoxCatcher boxes;

    void SetUp() override
    {
        ResetProductRegistry();
        strcpy(InstallPath, SETUP_DEFAULT_FOLDER);
        SystemAccount = 0;
    }
    void TearDown() override
    {
        /* what this test's writes left for an undo is forgotten */
        CommitChanges();
        ReleaseInstallFolder();
        ResetProductRegistry();
    }
};

/* a record as other programs may have left it: a value is written only
   where its type is not REG_NONE */
struct RecordRow {
    const char *what;
    DWORD versionType;
    std::string version;
    DWORD pathType;
    std::string path;
};

inline std::string Bytes(DWORD value)
{
    return std::string((const char *)&value, 4);
}

inline std::string Text(const std::string &text)
{
    return text + '\0';
}

inline ::testing::AssertionResult WriteRecord(const RecordRow &row,
                                              HKEY root = HKEY_CURRENT_USER)
{
    const char *key = root == HKEY_LOCAL_MACHINE ? kMachineSetupKey : kSetupKey;
    DeleteKeyTree(root, key);
    if (!CreateKey(root, key) ||
        (row.versionType != REG_NONE &&
         !WriteValue(root, key, kVersionValue, row.versionType, row.version.data(),
                     (DWORD)row.version.size())) ||
        (row.pathType != REG_NONE &&
         !WriteValue(root, key, kInstallPathValue, row.pathType, row.path.data(),
                     (DWORD)row.path.size())))
        return ::testing::AssertionFailure() << "the record cannot be laid out";
    return ::testing::AssertionSuccess();
}

#endif
