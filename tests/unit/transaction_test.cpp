/*
 * One undo for the whole run, as a table: an install, an update and an
 * uninstall run in this process, each stopped at every change it makes
 * (the transaction's change hook refuses change N, as Windows would).
 * The state on the disk and in the registry right before change N is
 * what a run killed there leaves. For every N:
 *
 *   - the run that met the refusal puts back exactly the state before it
 *     (or, past the commit, leaves the new state, its old files at most
 *     left for the next run);
 *   - the state of the kill, given to the next run of the same action,
 *     ends in exactly the new state.
 *
 * The media are the files of the product-file table in this program's
 * folder, and this program itself as Setup.exe, as the real Setup runs
 * from its media folder.
 */
#include <string.h>

#include <map>
#include <utility>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "registry_fixture.h"
#include "setup/ends.h"
#include "setup/files.h"
#include "setup/media.h"
#include "setup/record.h"
#include "setup/restart.h"
#include "setup/sequence.h"
#include "setup/setup.h"
#include "setup/folder.h"
#include "setup/transaction.h"

namespace {

/* the keys a run writes or deletes before its commit; the settings and
   the verb keys are no part of it (missing settings may stay) */
const struct {
    HKEY root;
    const char *path;
} kRunKeys[] = {
    {HKEY_LOCAL_MACHINE, kMachineMakerKey},
    {HKEY_LOCAL_MACHINE, kMachineProductKey},
    {HKEY_LOCAL_MACHINE, kMachineSetupKey},
    {HKEY_LOCAL_MACHINE, kUninstallKey},
    {HKEY_CURRENT_USER, kSetupKey},
};

/* a key's values, name by name: its type and bytes; absent: no key */
struct KeyState {
    int exists = 0;
    std::map<std::string, std::pair<DWORD, std::string>> values;

    bool operator==(const KeyState &other) const
    {
        return exists == other.exists && values == other.values;
    }
};

/* what a run leaves: the install folder's files and the keys' values */
struct State {
    int folder = 0;
    std::map<std::string, std::string> files;
    std::vector<KeyState> keys;

    bool operator==(const State &other) const
    {
        return folder == other.folder && files == other.files && keys == other.keys;
    }
};

KeyState ReadKeyState(HKEY root, const char *path)
{
    KeyState key;
    std::vector<std::string> names;
    key.exists = KeyExists(root, path);
    if (key.exists)
        ValueNames(root, path, &names);
    for (const std::string &name : names)
        ReadRaw(root, path, name.c_str(), &key.values[name].second, &key.values[name].first);
    return key;
}

std::string Describe(const KeyState &key)
{
    if (!key.exists)
        return "no key";
    std::string text;
    for (const auto &value : key.values)
        text += value.first + "=" + value.second.second.c_str() + " ";
    return text;
}

State Capture(const std::string &folder)
{
    State state;
    state.folder = FolderExists(folder);
    for (const std::string &name : FolderEntries(folder))
        ReadFileBytes(folder + name, &state.files[name]);
    for (const auto &key : kRunKeys)
        state.keys.push_back(ReadKeyState(key.root, key.path));
    return state;
}

/* the uninstall entry's version, which detection rules read, and the
   version of the machine's record */
std::string EntryVersion(const State &state)
{
    auto value = state.keys[3].values.find("DisplayVersion");
    return value == state.keys[3].values.end() ? "" : value->second.second.c_str();
}

DWORD RecordVersion(const State &state)
{
    DWORD version = 0;
    auto value = state.keys[2].values.find(kVersionValue);
    if (value != state.keys[2].values.end())
        memcpy(&version, value->second.second.data(), sizeof(version));
    return version;
}

/* the keys but the entry's version, which follows the commit */
std::vector<KeyState> WithoutEntryVersion(const State &state)
{
    std::vector<KeyState> keys = state.keys;
    keys[3].values.erase("DisplayVersion");
    return keys;
}

/* a state written back, as a killed run left it */
::testing::AssertionResult Restore(const State &state, const std::string &folder)
{
    DeleteTree(folder);
    if (state.folder && !MakeFreshFolder(folder))
        return ::testing::AssertionFailure() << "no folder";
    for (const auto &file : state.files) {
        if (!WriteFileBytes(folder + file.first, file.second))
            return ::testing::AssertionFailure() << "cannot write " << file.first;
    }
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kMachineMakerKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteKeyTree(HKEY_CURRENT_USER, kSetupKey);
    for (size_t i = 0; i < state.keys.size(); i++) {
        if (!state.keys[i].exists)
            continue;
        if (!CreateKey(kRunKeys[i].root, kRunKeys[i].path))
            return ::testing::AssertionFailure() << "cannot make " << kRunKeys[i].path;
        for (const auto &value : state.keys[i].values) {
            const std::string &data = value.second.second;
            if (!WriteValue(kRunKeys[i].root, kRunKeys[i].path, value.first.c_str(),
                            value.second.first, data.data(), (DWORD)data.size()))
                return ::testing::AssertionFailure() << "cannot write " << value.first;
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult SameState(const State &expected, const State &actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    if (expected.folder != actual.folder)
        failure << "folder " << (actual.folder ? "there" : "gone") << "; ";
    for (const auto &file : actual.files) {
        auto other = expected.files.find(file.first);
        if (other == expected.files.end())
            failure << file.first << " is new; ";
        else if (other->second != file.second)
            failure << file.first << " differs; ";
    }
    for (const auto &file : expected.files) {
        if (actual.files.find(file.first) == actual.files.end())
            failure << file.first << " is missing; ";
    }
    for (size_t i = 0; i < expected.keys.size(); i++) {
        if (!(expected.keys[i] == actual.keys[i]))
            failure << kRunKeys[i].path << " is " << Describe(actual.keys[i]) << ", expected "
                    << Describe(expected.keys[i]) << "; ";
    }
    return failure;
}

/* the hook's part: refuse the run's change Stop, and keep the state
   right before it; Seen counts the changes of the run */
int Stop, Seen;
State Killed;
std::string Folder;
/* the state of each kill of the update, kept by the table that meets them
   for a later test that needs them too */
std::vector<State> UpdateKills;

int RefuseAtStop(int)
{
    if (++Seen != Stop)
        return 1;
    Killed = Capture(Folder);
    return 0;
}

/* the update of a silent run while a help viewer holds the help file,
   which is replaced at the next restart */
enum Action { InstallAction, UpdateAction, UninstallAction, RepairAction, HeldUpdateAction };

struct Recovery : public Registry {
    std::vector<std::string> mediaFiles;

    void SetUp() override
    {
        Registry::SetUp();
        SilentRun = 1;
        Folder = TestRoot() + "rec\\Quorvane\\";
        DeleteTree(TestRoot());
        ASSERT_NE(nullptr, HoldBuiltSetup());
        ASSERT_TRUE(LayOutMediaBeside(&mediaFiles));
    }
    void TearDown() override
    {
        ChangeHook = NULL;
        SilentRun = 0;
        CloseMedia();
        RemoveMediaBeside(mediaFiles);
        DeleteTree(TestRoot());
        Registry::TearDown();
    }

    /* the state before the action */
    ::testing::AssertionResult LayOut(Action action)
    {
        ResetProductRegistry();
        DeleteTree(TestRoot());
        if (!MakeFreshFolder(TestRoot() + "rec\\"))
            return ::testing::AssertionFailure() << "no test folder";
        if (action == InstallAction)
            return ::testing::AssertionSuccess();
        int ok = MakeFreshFolder(Folder);
        for (const ProductFile &file : kProductFiles)
            ok = ok && WriteFileBytes(Folder + file.name, std::string("old ") + file.name);
        DWORD version = action == UpdateAction || action == HeldUpdateAction ? QV_VERSION_NUMBER - 1
                                                                             : QV_VERSION_NUMBER;
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            const char *key = root == HKEY_LOCAL_MACHINE ? kMachineSetupKey : kSetupKey;
            ok = ok && WriteDword(root, key, kVersionValue, version) &&
                 WriteString(root, key, kInstallPathValue, Folder);
        }
        ok = ok && WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "0.9") &&
             WriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString",
                         Folder + QV_SETUP_EXE);
        if (!ok)
            return ::testing::AssertionFailure() << "the installation cannot be laid out";
        return ::testing::AssertionSuccess();
    }

    /* the help viewer of HeldUpdateAction, which shares reading alone */
    HANDLE Viewer(Action action)
    {
        return action == HeldUpdateAction
                   ? CreateFileA((Folder + QV_HELP_FILE).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                 NULL, OPEN_EXISTING, 0, NULL)
                   : INVALID_HANDLE_VALUE;
    }

    /* the action as a run starts it, to its end */
    int Run(Action action)
    {
        strcpy(InstallPath, Folder.c_str());
        Seen = 0;
        SetRestartNeeded(0);
        ReleaseInstallFolder();
        CloseMedia();
        HANDLE viewer = Viewer(action);
        int end = action == InstallAction                                ? InstallSequence(NULL)
                  : action == UpdateAction || action == HeldUpdateAction ? UpdateSequence(NULL)
                  : action == RepairAction                               ? RepairSequence(NULL)
                                                                         : UninstallSequence(NULL);
        if (viewer != INVALID_HANDLE_VALUE)
            CloseHandle(viewer);
        ReleaseInstallFolder();
        CloseMedia();
        return end;
    }

    /* the recovery the next run begins with, on the state of a kill: the
       old files with the machine's old record, or the new files with the
       new one (the entry may be ahead of the record; the run completes
       it) */
    ::testing::AssertionResult RecoversToTheOldOrTheNew(Action action, const State &before,
                                                        const State &after)
    {
        LONG version = 0;
        strcpy(InstallPath, Folder.c_str());
        int recorded = MachineRecordNamesInstallPath(&version);
        HANDLE viewer = Viewer(action);
        RecoverInterruptedChanges(recorded, (unsigned long)version);
        if (viewer != INVALID_HANDLE_VALUE)
            CloseHandle(viewer);
        const State now = Capture(Folder);
        const State &expected = now.files == after.files ? after : before;
        if (now.files != expected.files)
            return ::testing::AssertionFailure() << "neither the old files nor the new: "
                                                 << SameState(before, now).message();
        if (!(now.keys[2] == expected.keys[2]))
            return ::testing::AssertionFailure()
                   << "the machine's record does not agree with the files: "
                   << Describe(now.keys[2]);
        return ::testing::AssertionSuccess();
    }

    /* each step of action refused once, and killed there once */
    void EveryStep(Action action)
    {
        if (action == UpdateAction)
            UpdateKills.clear();
        ASSERT_TRUE(LayOut(action));
        const State before = Capture(Folder);
        Stop = 0;
        ChangeHook = RefuseAtStop;
        ASSERT_EQ(action == HeldUpdateAction ? RunRestart : RunDone, Run(action));
        const State after = Capture(Folder);
        ASSERT_FALSE(after == before);
        int steps = 0;
        /* count the changes of a whole run: the hook refuses none past
           the last */
        for (Stop = 1;; Stop++) {
            SCOPED_TRACE("change " + std::to_string(Stop));
            ASSERT_TRUE(LayOut(action));
            Killed = State();
            int end = Run(action);
            /* an old file the refusal kept is deleted at the restart */
            int done = end == RunDone || end == RunRestart;
            if (done && Killed.keys.empty()) {
                steps = Stop - 1;
                break;
            }
            ASSERT_FALSE(Killed.keys.empty()) << "the run failed without a refusal";
            State refused = Capture(Folder);
            if (!done) {
                EXPECT_TRUE(SameState(before, refused)) << "after the refusal";
            } else {
                /* past the commit: the new files and records, an old
                   file or the entry's version left behind at most */
                EXPECT_TRUE(WithoutEntryVersion(after) == WithoutEntryVersion(refused))
                    << "past the commit";
                for (const auto &file : after.files)
                    EXPECT_EQ(file.second, refused.files[file.first]) << file.first;
                ChangeHook = NULL;
                end = Run(action);
                EXPECT_TRUE(end == RunDone || end == RunRestart);
                EXPECT_TRUE(SameState(after, Capture(Folder))) << "the next run";
                ChangeHook = RefuseAtStop;
            }
            /* a detection rule that reads the entry's version never finds
               a version the record has not committed, and a record of
               the new version always has its entry */
            EXPECT_TRUE(EntryVersion(Killed) != QV_VERSION_TEXT ||
                        RecordVersion(Killed) == QV_VERSION_NUMBER)
                << "the entry's version runs ahead of the record";
            if (action != UninstallAction && RecordVersion(Killed) == QV_VERSION_NUMBER)
                EXPECT_TRUE(Killed.keys[3].exists) << "recorded without its entry";
            /* killed right before the change: the next run finds exactly
               the old files or exactly the new ones, as the machine's
               record says, and completes */
            if (action == UpdateAction)
                UpdateKills.push_back(Killed);
            ASSERT_TRUE(Restore(Killed, Folder));
            ChangeHook = NULL;
            EXPECT_TRUE(RecoversToTheOldOrTheNew(action, before, after));
            end = Run(action);
            EXPECT_TRUE(end == RunDone || end == RunRestart) << "the next run after the kill";
            EXPECT_TRUE(SameState(after, Capture(Folder))) << "after the kill and the next run";
            ChangeHook = RefuseAtStop;
        }
        EXPECT_LT(10, steps) << "a run of few changes";
    }
};

/* what renaming or replacing the folder needs first: to open it for
   deletion (Wine's own rename of a folder does not ask, Windows' does) */
DWORD OpenForDeletion(const std::string &folder)
{
    HANDLE handle = CreateFileA(WithoutBackslash(folder).c_str(), DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(handle);
    return ERROR_SUCCESS;
}

TEST_F(Recovery, TheHeldFolderCanNeitherBeRenamedNorReplaced)
{
    ASSERT_TRUE(MakeFreshFolder(Folder));
    strcpy(InstallPath, Folder.c_str());
    ASSERT_TRUE(HoldInstallFolder());
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, OpenForDeletion(Folder));
    ReleaseInstallFolder();
    EXPECT_EQ((DWORD)ERROR_SUCCESS, OpenForDeletion(Folder));
}

TEST_F(Recovery, InstallStoppedAtEachChange)
{
    EveryStep(InstallAction);
}

TEST_F(Recovery, UpdateStoppedAtEachChange)
{
    EveryStep(UpdateAction);
}

TEST_F(Recovery, UpdateOfAFileInUseStoppedAtEachChange)
{
    EveryStep(HeldUpdateAction);
}

/* what the restart does, as Windows carries the operations out in their
   order, each left there once however often a run asks */
TEST_F(Recovery, WhatIsLeftToTheRestartIsLeftOnce)
{
    ASSERT_TRUE(LayOut(UpdateAction));
    const std::string file = Folder + QV_HELP_FILE, copy = file + FILE_NEW_SUFFIX;
    ASSERT_TRUE(WriteFileBytes(copy, "new"));
    EXPECT_EQ(LeftAsItIs, PendingAtRestart(file.c_str()));
    for (int twice = 0; twice < 2; twice++)
        EXPECT_TRUE(LeaveToRestart(copy.c_str(), file.c_str()));
    EXPECT_EQ(ReplacedAtRestart, PendingAtRestart(file.c_str()));
    EXPECT_EQ(1, PendingMentions(file));
    for (int twice = 0; twice < 2; twice++)
        EXPECT_TRUE(LeaveToRestart(file.c_str(), NULL));
    EXPECT_EQ(DeletedAtRestart, PendingAtRestart(file.c_str()));
    EXPECT_EQ(2, PendingMentions(file));
    EXPECT_TRUE(RestartNeeded());
}

TEST_F(Recovery, UninstallStoppedAtEachChange)
{
    EveryStep(UninstallAction);
}

/* a recorded folder that is not there: made by Setup as an install
   makes it, held and checked, or, for an uninstall, left alone */
TEST_F(Recovery, ARecordedFolderThatIsGoneIsMadeAndHeldOrLeftAlone)
{
    const std::string open = TestRoot() + "rec\\open\\", below = open + "Quorvane\\";
    struct Row {
        const char *what;
        Action action;
        std::string folder;
        /* another program at the first change */
        int (*hook)(int);
        int end;
        int made, recorded;
    } rows[] = {
        {"an uninstall changes the registry alone", UninstallAction, Folder, NULL, RunDone, 0, 0},
        {"an update makes it", UpdateAction, Folder, NULL, RunDone, 1, 1},
        {"a repair below a folder others may change", RepairAction, below, NULL, RunFailed, 0, 1},
        {"an update where another program made it meanwhile", UpdateAction, Folder,
         [](int) -> int {
             return ++Seen != 1 || (MakeFreshFolder(Folder) && LetEveryoneChange(Folder));
         },
         RunFailed, 1, 1},
    };
    const std::string laidOut = Folder;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        Folder = laidOut;
        ASSERT_TRUE(LayOut(UpdateAction));
        DeleteTree(Folder);
        ASSERT_TRUE(MakeFreshFolder(open) && LetEveryoneChange(open));
        ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kMachineSetupKey, kInstallPathValue, row.folder));
        Folder = row.folder;
        const State before = Capture(Folder);
        ChangeHook = row.hook;
        EXPECT_EQ(row.end, Run(row.action));
        ChangeHook = NULL;
        const State after = Capture(Folder);
        EXPECT_EQ(row.made, after.folder);
        EXPECT_EQ(row.recorded, after.keys[2].exists);
        if (row.end != RunDone)
            EXPECT_TRUE(before.keys == after.keys) << "a refused run changed the registry";
        /* nothing of the product lands in a folder someone else made */
        if (row.hook != NULL || row.action == UninstallAction)
            EXPECT_TRUE(after.files.empty());
    }
    Folder = laidOut;
}

/* the journal of a killed update of one file, format '2' unless told:
   its target moved aside, its new file made */
std::string KilledJournal(const char *name, char format = JOURNAL_FORMAT)
{
    struct SwapJournal journal = {};
    journal.operation = JournalChange;
    journal.version = QV_VERSION_NUMBER;
    journal.count = format == JOURNAL_FORMAT ? 1 : kProductFileCount;
    memset(journal.rows, RowOutside, journal.count);
    journal.rows[0] = RowReplaced;
    for (size_t i = 0; i < journal.count; i++)
        strcpy(journal.names[i], i == 0 ? name : kProductFiles[i].name);
    char out[JOURNAL_MAX_SIZE];
    std::string text(out, FormatJournal(&journal, out, sizeof(out)));
    if (format == JOURNAL_FORMAT)
        return text;
    /* the earlier layout: a character per row of the table */
    text[JOURNAL_FORMAT_AT] = format;
    return text.substr(0, JOURNAL_ROWS_AT) + std::string(journal.rows, journal.count) +
           JOURNAL_END;
}

TEST_F(Recovery, AJournalAKilledRunLeftIsFinishedUndoneOrMovedAside)
{
    const std::string main = kProductFiles[0].name, extra = "Extra.dll";
    struct Row {
        const char *what;
        std::string name, journal, recorded;
        /* the target's bytes afterwards, or empty while its temporary
           files stay as they were */
        std::string target;
    } rows[] = {
        {"the earlier format, committed", main, KilledJournal(main.c_str(), JOURNAL_TABLE_FORMAT),
         Folder, "new"},
        {"a file of another version's table, committed", extra, KilledJournal(extra.c_str()),
         Folder, "new"},
        {"committed in another folder, so not here", main, KilledJournal(main.c_str()),
         TestRoot() + "rec\\Other\\", "old"},
        {"one this Setup cannot read", main, KilledJournal(main.c_str()).substr(1), Folder, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(LayOut(UpdateAction));
        ASSERT_TRUE(WriteString(HKEY_LOCAL_MACHINE, kMachineSetupKey, kInstallPathValue,
                                row.recorded));
        ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kMachineSetupKey, kVersionValue,
                               QV_VERSION_NUMBER));
        const std::string target = Folder + row.name;
        DeleteFileA(target.c_str());
        ASSERT_TRUE(WriteFileBytes(target + FILE_OLD_SUFFIX, "old") &&
                    WriteFileBytes(target + FILE_NEW_SUFFIX, "new") &&
                    WriteFileBytes(Folder + FILE_SWAP_JOURNAL, row.journal));
        const State killed = Capture(Folder);
        strcpy(InstallPath, Folder.c_str());
        LONG version = 0;
        int recorded = MachineRecordNamesInstallPath(&version);
        EXPECT_TRUE(RecoverInterruptedChanges(recorded, (unsigned long)version));
        State now = Capture(Folder);
        if (row.target.empty()) {
            /* never acted on: moved aside, its run's files as they were */
            EXPECT_EQ(row.journal, now.files[FILE_ASIDE_JOURNAL]);
            now.files[FILE_SWAP_JOURNAL] = now.files[FILE_ASIDE_JOURNAL];
            now.files.erase(FILE_ASIDE_JOURNAL);
            EXPECT_TRUE(killed.files == now.files);
            continue;
        }
        EXPECT_EQ(row.target, now.files[row.name]);
        for (const char *left : {FILE_OLD_SUFFIX, FILE_NEW_SUFFIX})
            EXPECT_EQ(0u, now.files.count(row.name + left)) << left;
        EXPECT_EQ(0u, now.files.count(FILE_SWAP_JOURNAL));
    }
    /* and the run goes on past one it cannot read */
    EXPECT_EQ(RunDone, Run(UpdateAction));
}

/* an update killed at each of its changes, then an uninstall: it
   finishes or undoes the update first, and leaves nothing of either */
TEST_F(Recovery, UninstallAfterAnUpdateKilledAtEachChange)
{
    /* the kills the update's table met, or the same met here */
    if (UpdateKills.empty()) {
        ChangeHook = RefuseAtStop;
        for (Stop = 1;; Stop++) {
            ASSERT_TRUE(LayOut(UpdateAction));
            Killed = State();
            if (Run(UpdateAction) == RunDone && Killed.keys.empty())
                break;
            UpdateKills.push_back(Killed);
        }
        ChangeHook = NULL;
    }
    ASSERT_LT(10u, UpdateKills.size());
    for (size_t i = 0; i < UpdateKills.size(); i++) {
        SCOPED_TRACE("change " + std::to_string(i + 1));
        ASSERT_TRUE(LayOut(UpdateAction));
        ASSERT_TRUE(Restore(UpdateKills[i], Folder));
        EXPECT_EQ(RunDone, Run(UninstallAction));
        const State after = Capture(Folder);
        for (const ProductFile &file : kProductFiles) {
            bool kept = file.step[UninstallFiles] == KeepFile;
            EXPECT_EQ(kept, after.files.count(file.name) == 1) << file.name;
        }
        EXPECT_EQ(2u, after.files.size()) << "temporary files are left";
        EXPECT_FALSE(after.keys[2].exists) << "the machine's record stays";
    }
}

} // namespace
