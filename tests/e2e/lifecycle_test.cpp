/*
 * Update, uninstall and cancel with the real Setup.exe, and the full
 * install, update, uninstall, install cycle.
 */
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/support.h"
#include "setup_fixture.h"

namespace {

const char kCancelQuestion[] =
    "セットアップはまだ完了していません。セットアップを中止しますか?";
const char kCancelled[] = "セットアップを中止しました。";

/* the verb keys, spelled here as the main program writes them */
const char kVerb[] = "\\shell\\キーワードの割り当て(&K)...";
const std::string kVerbKeys[] = {
    std::string("*") + kVerb, std::string("Directory") + kVerb, std::string("Drive") + kVerb,
};

const char *const kProgramFiles[] = {
    "Quorvane.exe", "Quorvane.hlp", "Quorvane.cnt", "Readme.txt", "Helper.exe",
    "Quorvane.gid", "NoTitle.set",
};

class Lifecycle : public SetupTest {
protected:
    /* an installed product as an earlier Setup left it */
    void LayOutInstallation(const std::string &folder, DWORD version)
    {
        ASSERT_TRUE(MakeFreshFolder(folder));
        for (const char *name : kProgramFiles)
            ASSERT_TRUE(WriteFileBytes(folder + name, std::string("old ") + name));
        ASSERT_TRUE(WriteFileBytes(folder + "Setup.exe", "old setup"));
        ASSERT_TRUE(WriteFileBytes(folder + "!Default.kws", Keywords()));
        ASSERT_TRUE(WriteFileBytes(folder + "Other.txt", "the user's"));
        RecordInstallation(version, folder);
        ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kOptionKey, "IsOnTop", 1));
        ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kOptionKey, "UseActivateKeyCode", 65));
        ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kMainKey, "WindowLeft", 300));
    }

    static std::string Keywords() { return "memo\r\nC:\\Data\\memo.txt\r\n\r\n"; }

    void AddVerbKeys()
    {
        for (const std::string &key : kVerbKeys) {
            std::string command = key + "\\Command";
            ASSERT_TRUE(WriteString(HKEY_CLASSES_ROOT, command.c_str(), "",
                                    "\"C:\\Tools\\Helper.exe\" \"%1\""));
        }
    }

    ::testing::AssertionResult KeywordsKept(const std::string &folder)
    {
        std::string data;
        if (!ReadFileBytes(folder + "!Default.kws", &data))
            return ::testing::AssertionFailure() << "the keyword file is gone";
        if (data != Keywords())
            return ::testing::AssertionFailure() << "the keyword file holds " << data;
        return ::testing::AssertionSuccess();
    }

    /* one run of the wizard through its operation, ending with its box */
    ::testing::AssertionResult RunThrough(const std::string &folder, const char *doneText)
    {
        if (!StartSetup() || (wizard = WaitForWizard()) == NULL)
            return ::testing::AssertionFailure() << "no wizard";
        PressButton(wizard, IDOK);
        if (doneText == kInstalled) {
            if (!WaitForControlShown(wizard, kFolderEdit))
                return ::testing::AssertionFailure() << "no folder page";
            SetControlText(wizard, kFolderEdit, folder);
            PressButton(wizard, IDOK);
            if (!FolderExists(folder)) {
                ::testing::AssertionResult question =
                    AnswerBox(kCreateQuestion, IconQuestion, IDYES);
                if (!question)
                    return question;
            }
        }
        return EndsWithBox(doneText, IconInformation, 0);
    }
};

TEST_F(Lifecycle, UpdateRewritesFilesAndKeepsOptionsAndKeywords)
{
    std::string folder = TestRoot() + "Installed\\";
    LayOutInstallation(folder, 129);
    OpenWizard();
    EXPECT_EQ("Update", ControlText(wizard, kModeWord));
    EXPECT_EQ("Quorvane のアップデートを開始します。", ControlText(wizard, kPageMessage));
    EXPECT_FALSE(IsControlVisible(wizard, kUninstallNote));
    EXPECT_FALSE(IsControlVisible(wizard, kFolderEdit));
    ASSERT_TRUE(WriteFileBytes(folder + "Quorvane.GID", "help index"));

    PressButton(wizard, IDOK);
    ASSERT_TRUE(EndsWithBox(kUpdated, IconInformation, 0));

    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_FALSE(FileExists(folder + "Quorvane.GID"));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_TRUE(FileExists(folder + "Other.txt"));

    DWORD value = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kOptionKey, "IsOnTop", &value));
    EXPECT_EQ(1u, value);
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kOptionKey, "UseActivateKeyCode", &value));
    EXPECT_EQ(65u, value);
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kMainKey, "WindowLeft", &value));
    EXPECT_EQ(300u, value);
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kOptionKey, "ShowTrayIcon", &value));
    EXPECT_EQ(1u, value) << "missing options are seeded";
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSetupKey, "Version", &value));
    EXPECT_EQ(130u, value);
    /* the update does not touch the uninstall entry */
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(Lifecycle, UpdateOfATooLongRecordedFolderEndsBeforeCopying)
{
    /* 250 bytes read back fine, but Quorvane.exe no longer fits below it */
    std::string folder = "C:\\" + std::string(246, 'a') + "\\";
    RecordInstallation(129, folder);
    OpenWizard();
    PressButton(wizard, IDOK);
    ASSERT_TRUE(EndsWithBox(kFatal, IconError, 0xFFFFFFFF));
    DWORD version = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSetupKey, "Version", &version));
    EXPECT_EQ(129u, version);
}

TEST_F(Lifecycle, UninstallRemovesProgramFilesAndKeys)
{
    std::string folder = TestRoot() + "Installed\\";
    LayOutInstallation(folder, 130);
    AddVerbKeys();
    ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Veskaro Quorvane"));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, "Software\\Veskaro\\Other"));

    OpenWizard();
    EXPECT_EQ("Uninstall", ControlText(wizard, kModeWord));
    EXPECT_EQ("Quorvane をシステムから削除します。", ControlText(wizard, kPageMessage));
    EXPECT_TRUE(IsControlVisible(wizard, kUninstallNote));
    EXPECT_FALSE(IsControlVisible(wizard, kFolderEdit));
    PressButton(wizard, IDOK);
    ASSERT_TRUE(EndsWithBox(kUninstalled, IconInformation, 0));

    for (const char *name : kProgramFiles)
        EXPECT_FALSE(FileExists(folder + name)) << name;
    EXPECT_TRUE(FileExists(folder + "Setup.exe"));
    EXPECT_TRUE(FileExists(folder + "Other.txt"));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_TRUE(FolderExists(folder));

    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Veskaro"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Veskaro\\Other"));
    for (const std::string &key : kVerbKeys)
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key.c_str())) << key;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    /* the folder is opened for what is left */
    HWND window = WaitForChildWindow(&setup);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("Installed", WindowText(window));
}

TEST_F(Lifecycle, UpdateWaitsWhileAFileIsInUse)
{
    std::string folder = TestRoot() + "Installed\\";
    LayOutInstallation(folder, 129);
    /* the main program's file held open by a program that shares nothing */
    HANDLE held = CreateFileA((folder + "Quorvane.exe").c_str(), GENERIC_READ, 0, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::string inUse = "ファイル " + folder +
                        "Quorvane.exe は、ほかのプログラムが使用しているため置き換えられません。\r\n"
                        "このファイルを使用しているプログラムを終了してから、［再試行］を押してください。";
    OpenWizard();
    PressButton(wizard, IDOK);
    /* Retry while it is still held asks again */
    ASSERT_TRUE(AnswerBox(inUse.c_str(), IconWarning, IDRETRY));
    HWND box = WaitForMessageBox(&setup);
    EXPECT_TRUE(IsSetupBox(box, inUse.c_str(), IconWarning, MB_RETRYCANCEL));
    EXPECT_EQ(GetAncestor(wizard, GA_ROOT), GetWindow(box, GW_OWNER)) << "not owned by the wizard";
    CloseHandle(held);
    PressButton(box, IDRETRY);
    ASSERT_TRUE(WaitForWindowGone(box));
    ASSERT_TRUE(EndsWithBox(kUpdated, IconInformation, 0));
    EXPECT_TRUE(HasProductFiles(folder));
    DWORD version = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSetupKey, "Version", &version));
    EXPECT_EQ(130u, version);
}

TEST_F(Lifecycle, UninstallOfFilesDeletedByHandStillSucceeds)
{
    std::string folder = TestRoot() + "Gone\\";
    RecordInstallation(130, folder);
    OpenWizard();
    PressButton(wizard, IDOK);
    ASSERT_TRUE(EndsWithBox(kUninstalled, IconInformation, 0));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

TEST_F(Lifecycle, KeyWithAnUnknownSubkeyStaysAndTheRestGoes)
{
    std::string folder = TestRoot() + "Installed\\";
    LayOutInstallation(folder, 130);
    AddVerbKeys();
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, "Software\\Veskaro\\Quorvane\\Main\\Extra"));
    OpenWizard();
    PressButton(wizard, IDOK);
    ASSERT_TRUE(EndsWithBox(kUninstalled, IconInformation, 0));

    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kMainKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOptionKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSetupKey));
    for (const std::string &key : kVerbKeys)
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key.c_str())) << key;
    EXPECT_FALSE(FileExists(folder + "Quorvane.exe"));
}

TEST_F(Lifecycle, CancelAnsweredNoKeepsThePage)
{
    OpenWizard();
    PressButton(wizard, IDOK); /* to the folder page */
    ASSERT_TRUE(WaitForControlShown(wizard, kFolderEdit));
    SetControlText(wizard, kFolderEdit, "D:\\Typed\\");

    PressButton(wizard, IDCANCEL);
    HWND question = WaitForMessageBox(&setup);
    ASSERT_NE(nullptr, question);
    EXPECT_TRUE(IsSetupBox(question, kCancelQuestion, IconQuestion, MB_YESNO));
    PressButton(question, IDNO);
    ASSERT_TRUE(WaitForWindowGone(question));
    EXPECT_TRUE(IsRunning(&setup));
    EXPECT_TRUE(IsControlVisible(wizard, kFolderEdit));
    EXPECT_EQ("D:\\Typed\\", ControlText(wizard, kFolderEdit));

    /* Esc and the close box ask the same */
    PressEscape(wizard);
    ASSERT_TRUE(AnswerBox(kCancelQuestion, IconQuestion, IDNO));
    PressClose(wizard);
    ASSERT_TRUE(AnswerBox(kCancelQuestion, IconQuestion, IDNO));
    EXPECT_TRUE(IsRunning(&setup));
    EXPECT_EQ("D:\\Typed\\", ControlText(wizard, kFolderEdit));
}

TEST_F(Lifecycle, CancelAnsweredYesEndsWithNothingInstalled)
{
    const int modes[] = {0, 129, 130};
    for (int version : modes) {
        SCOPED_TRACE(version);
        ResetProductRegistry();
        std::string folder = TestRoot() + "Installed\\";
        if (version != 0)
            LayOutInstallation(folder, (DWORD)version);
        OpenWizard();
        PressClose(wizard);
        ASSERT_TRUE(AnswerBox(kCancelQuestion, IconQuestion, IDYES));
        ASSERT_TRUE(EndsWithBox(kCancelled, IconInformation, 0));
        /* nothing done, and no folder opened */
        EXPECT_EQ(0, JobProcessCount(&setup));
        if (version == 0) {
            EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
            EXPECT_FALSE(FolderExists(kDefaultFolder));
        } else {
            DWORD recorded = 0;
            EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSetupKey, "Version", &recorded));
            EXPECT_EQ((DWORD)version, recorded);
            std::string data;
            EXPECT_TRUE(ReadFileBytes(folder + "Quorvane.exe", &data));
            EXPECT_EQ("old Quorvane.exe", data);
        }
    }
}


TEST_F(Lifecycle, InstallUpdateUninstallInstallInADoubleByteFolder)
{
    std::string folder = TestRoot() + "ソフト\\表\\";
    ASSERT_TRUE(RunThrough(folder, kInstalled));
    EXPECT_TRUE(FileExists(folder + "Helper.exe"));
    EXPECT_TRUE(FileExists(folder + "!Default.kws"));
    ASSERT_TRUE(WriteFileBytes(folder + "!Default.kws", Keywords()));

    /* an older version recorded: this Setup updates */
    ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kSetupKey, "Version", 129));
    ASSERT_TRUE(WriteFileBytes(folder + "Quorvane.exe", "stale"));
    ASSERT_TRUE(RunThrough(folder, kUpdated));
    std::string data;
    ASSERT_TRUE(ReadFileBytes(folder + "Quorvane.exe", &data));
    EXPECT_EQ(MediaContent("Quorvane.ex_"), data);
    EXPECT_TRUE(KeywordsKept(folder));

    ASSERT_TRUE(RunThrough(folder, kUninstalled));
    EXPECT_FALSE(FileExists(folder + "Quorvane.exe"));
    EXPECT_FALSE(FileExists(folder + "Helper.exe"));
    EXPECT_TRUE(FileExists(folder + "Setup.exe"));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    /* installing again into the same folder keeps the user's keywords */
    ASSERT_TRUE(RunThrough(folder, kInstalled));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_TRUE(FileExists(folder + "Quorvane.exe"));
    std::string path;
    EXPECT_TRUE(ReadString(HKEY_CURRENT_USER, kSetupKey, "InstallPath", &path));
    EXPECT_EQ(folder + '\0', path);
}

/* silent runs, as deployment tools start them */

TEST_F(Lifecycle, SilentInstallIntoTheDefaultOrAGivenFolder)
{
    ASSERT_TRUE(RunsSilently("/S", 0));
    EXPECT_TRUE(HasProductFiles(kDefaultFolder));
    EXPECT_TRUE(HasRecord(kDefaultFolder));
    EXPECT_TRUE(FileExists(std::string(kDefaultFolder) + "!Default.kws"));

    /* spaces and double-byte characters, no quotes, any case; the missing
       folders are made */
    ResetProductRegistry();
    std::string folder = TestRoot() + "Program Files\\ソフト 表\\Quorvane\\";
    ASSERT_TRUE(RunsSilently("/s /D=" + WithoutBackslash(folder), 0));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(HasRecord(folder));
    std::string quiet;
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString", &quiet));
    EXPECT_EQ("\"" + folder + "Setup.exe\" /S /UNINSTALL" + '\0', quiet);

    /* a pair of quotes around the folder is taken too */
    ResetProductRegistry();
    std::string quoted = TestRoot() + "Quoted Folder\\";
    ASSERT_TRUE(RunsSilently("/LOG=nul /S /D=\"" + quoted + "\"", 0));
    EXPECT_TRUE(HasRecord(quoted));
}

TEST_F(Lifecycle, SilentUpdateAndTheRunsThatChangeNothing)
{
    std::string folder = TestRoot() + "Installed\\";
    LayOutInstallation(folder, 129);
    /* an update stays in the recorded folder */
    ASSERT_TRUE(RunsSilently("/S /D=" + TestRoot() + "Elsewhere", 0));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_FALSE(FolderExists(TestRoot() + "Elsewhere"));
    DWORD version = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSetupKey, "Version", &version));
    EXPECT_EQ(130u, version);

    /* this version recorded: /S alone is never an uninstall */
    ASSERT_TRUE(WriteFileBytes(folder + "Quorvane.exe", "as the user left it"));
    ASSERT_TRUE(RunsSilently("/S", 0));
    std::string data;
    EXPECT_TRUE(ReadFileBytes(folder + "Quorvane.exe", &data));
    EXPECT_EQ("as the user left it", data);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kSetupKey));

    /* a newer version recorded: nothing, /UNINSTALL or not */
    RecordInstallation(131, folder);
    ASSERT_TRUE(RunsSilently("/S /UNINSTALL", 0));
    EXPECT_TRUE(FileExists(folder + "Quorvane.exe"));
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSetupKey, "Version", &version));
    EXPECT_EQ(131u, version);
}

TEST_F(Lifecycle, QuietUninstallStringRemovesTheProduct)
{
    /* nothing recorded: nothing to remove */
    ASSERT_TRUE(RunsSilently("/S /UNINSTALL", 0));
    EXPECT_TRUE(NothingRecorded());

    std::string folder = TestRoot() + "Installed\\";
    ASSERT_TRUE(RunsSilently("/S /D=" + folder, 0));
    AddVerbKeys();
    std::string quiet;
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString", &quiet));
    ASSERT_TRUE(RunsSilentlyAs(folder + "Setup.exe", quiet.c_str(), 0));
    for (const char *name : kProgramFiles)
        EXPECT_FALSE(FileExists(folder + name)) << name;
    EXPECT_TRUE(FileExists(folder + "Setup.exe"));
    EXPECT_TRUE(FileExists(folder + "!Default.kws"));
    EXPECT_TRUE(NothingRecorded());
    for (const std::string &key : kVerbKeys)
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key.c_str())) << key;

    /* over an older version's record too */
    LayOutInstallation(folder, 129);
    ASSERT_TRUE(RunsSilently("/S /UNINSTALL", 0));
    EXPECT_FALSE(FileExists(folder + "Quorvane.exe"));
    EXPECT_TRUE(KeywordsKept(folder));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey));
}

TEST_F(Lifecycle, SilentFailuresEndWithMinusOneAndTheLogSaysWhy)
{
    std::string logs = TestRoot() + "my logs\\";
    ASSERT_TRUE(MakeFreshFolder(logs));
    std::string log = logs + "setup.log";
    std::string folder = TestRoot() + "Installed\\";
    const std::string logSwitch = "/LOG=\"" + log + "\"";

    ASSERT_TRUE(DeleteFileA((media + "Helper.ex_").c_str()));
    ASSERT_TRUE(RunsSilently(logSwitch + " /S /D=" + folder, 0xFFFFFFFF));
    EXPECT_TRUE(NothingRecorded());
    std::string text;
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_EQ(0u, text.find("20")) << text;
    EXPECT_NE(std::string::npos, text.find("開始: Quorvane セットアップ 1.30、コマンド ライン ")) << text;
    EXPECT_NE(std::string::npos, text.find("インストールの記録: なし\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("コピー: " + media + "Readme.txt → " + folder + "Readme.txt\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("失敗: コピー " + folder + "Helper.exe (エラー 2)\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("メッセージ: " + std::string(kFatal) + "\r\n")) << text;
    EXPECT_EQ(text.size() - 2, text.rfind("終了: 終了コード -1\r\n") + 19) << text;

    /* refused folders, an unreadable record */
    EXPECT_TRUE(RunsSilently("/S /D=ab", 0xFFFFFFFF));
    EXPECT_TRUE(RunsSilently("/S /D=", 0xFFFFFFFF));
    EXPECT_TRUE(NothingRecorded());
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, kSetupKey));
    EXPECT_TRUE(RunsSilently("/S /UNINSTALL", 0xFFFFFFFF));
    ResetProductRegistry();

    /* the next run is appended, and an interactive run logs too */
    ASSERT_TRUE(BuildMedia(media));
    ASSERT_TRUE(RunsSilently("/S " + logSwitch + " /D=" + folder, 0));
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos, text.find("レジストリ書き込み: HKEY_CURRENT_USER\\" + std::string(kSetupKey) + "\r\n"));
    EXPECT_NE(std::string::npos, text.find("レジストリ書き込み: HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKey) + "\r\n"));
    ASSERT_TRUE(StartSetup(media, logSwitch));
    ASSERT_NE(nullptr, wizard = WaitForWizard());
    PressButton(wizard, IDOK);
    ASSERT_TRUE(EndsWithBox(kUninstalled, IconInformation, 0));
    ASSERT_TRUE(ReadFileBytes(log, &text));
    EXPECT_NE(std::string::npos, text.find("削除: " + folder + "Quorvane.exe\r\n"));
    EXPECT_NE(std::string::npos, text.find("メッセージ: " + std::string(kUninstalled) + "\r\n"));
    EXPECT_EQ(text.size() - 2, text.rfind("終了: 終了コード 0\r\n") + 18) << text;
    /* every line ends in CR LF */
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        ASSERT_EQ('\r', text[at - 1]) << "at byte " << at;
}

TEST_F(Lifecycle, SignedMediaRunsAsTheUnsigned)
{
    /* the copies the signature test signed (tests/signing) */
    std::string signedCopies = BinFolder() + "..\\signing-check\\signed\\";
    if (!FileExists(signedCopies + "Setup.exe"))
        GTEST_SKIP() << "no signed copies in " << signedCopies;
    ASSERT_TRUE(CopyFileA((signedCopies + "Setup.exe").c_str(), (media + "Setup.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((signedCopies + "Helper.exe").c_str(), (media + "Helper.ex_").c_str(), FALSE));
    std::string folder = TestRoot() + "Signed\\";
    ASSERT_TRUE(RunsSilently("/S /D=" + folder, 0));
    EXPECT_TRUE(HasProductFiles(folder));
    EXPECT_TRUE(HasRecord(folder));
}

} // namespace
