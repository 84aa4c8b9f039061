/*
 * Who may change what Setup acts on: the permissions Setup gives the
 * folders it creates and the data files, the rule an existing folder must
 * pass, and the account Setup runs as and the session it runs in.
 */
#ifndef QUORVANE_SETUP_SECURITY_H
#define QUORVANE_SETUP_SECURITY_H

#include <windows.h>

/* the security of every folder Setup creates: owned by Administrators,
   SYSTEM and Administrators full control, Users read and execute,
   inherited by what is created in it, and nothing inherited from its
   parent; NULL when it cannot be built. LocalFree it */
PSECURITY_DESCRIPTOR InstallFolderSecurity(void);
/* the entry the data files get beside what they inherit: Users may read
   and write them, neither delete them nor change their permissions */
PSECURITY_DESCRIPTOR DataFileSecurity(void);
/* 1 when the DACL already lets Users read and write as the data files
   need */
int UsersMayWrite(PACL dacl);
/* what a data file whose DACL is current needs: 0 when nothing; 1 with
   the information to set and the entries of DataFileSecurity (in
   descriptor, which the caller LocalFrees) */
int PlanUsersWrite(PACL current, SECURITY_INFORMATION *information, PACL *entries,
                   PSECURITY_DESCRIPTOR *descriptor);
/* gives path the entry of DataFileSecurity unless Users may already read
   and write it; 1 when they may */
int LetUsersWrite(const char *path);
/* the account this process runs as, or NULL when it cannot be read */
PSID RunningAccount(void);
int RunsAsLocalSystem(void);
/* the session this process runs in; 1 when it cannot be read */
DWORD RunningSession(void);
/* 1 when the owner of this security is SYSTEM, Administrators,
   TrustedInstaller or account: no one else may change who may change it */
int IsOwnedSafely(PSECURITY_DESCRIPTOR descriptor, PSID account);
/* where a folder stands to the install folder */
enum { InstallFolderPlace = 0, FolderAbovePlace = 1, DriveRootPlace = 2 };
/* 1 when no one but SYSTEM, Administrators, TrustedInstaller and account
   owns the folder of this security or may change what Setup puts below
   it, for the folder's place */
int IsFolderSafe(PSECURITY_DESCRIPTOR descriptor, int place, PSID account);
/* the same for an existing folder, with the security Windows reports */
int IsExistingFolderSafe(const char *folder, int place, PSID account);

#endif
