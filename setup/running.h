/*
 * Whether the product runs beside Setup, which would replace or delete
 * its programs under it, and Setup's own lock against a second Setup.
 */
#ifndef QUORVANE_SETUP_RUNNING_H
#define QUORVANE_SETUP_RUNNING_H

#include <windows.h>

/* Setup's lock: a mutex in the private namespace of this name, whose
   boundary holds only the Administrators group, so that no other user
   can create it first; the boundary bears the same name */
#define SETUP_NAMESPACE "Quorvane"
#define SETUP_LOCK_MUTEX SETUP_NAMESPACE "\\QuorvaneSetup"
/* the lock where Windows offers no private namespace (Wine 8): a mutex
   in every session of the machine, which any user may create */
#define SETUP_GLOBAL_MUTEX "Global\\QuorvaneSetup"

/* kernel32's private namespace functions, loaded at run time: Wine 8 has
   neither CreatePrivateNamespaceW nor AddSIDToBoundaryDescriptor, and
   importing them would keep Setup from loading there */
struct NamespaceCalls {
    HANDLE(WINAPI *createBoundary)(LPCWSTR name, ULONG flags);
    BOOL(WINAPI *addSid)(HANDLE *boundary, PSID sid);
    HANDLE(WINAPI *createNamespace)(LPSECURITY_ATTRIBUTES security, LPVOID boundary,
                                    LPCWSTR alias);
    HANDLE(WINAPI *openNamespace)(LPVOID boundary, LPCWSTR alias);
    VOID(WINAPI *deleteBoundary)(HANDLE boundary);
};

/* Setup's lock, taken for the whole run: in the private namespace with
   these functions, or SETUP_GLOBAL_MUTEX where calls is NULL (kernel32
   lacks one of them); 0 when another Setup holds it, or the namespace can
   be neither created nor opened */
int TakeSetupLock(const struct NamespaceCalls *calls);
/* the lock and, outside session 0, the guard mutex "WinQuorvane", both
   taken for the whole run; 0 when another Setup, in any session, holds
   the lock, or the main program or a Helper of this session runs */
int TakeSetupMutexes(void);
void ReleaseSetupMutexes(void);
/* 1 while a Helper of this session (outside session 0) runs, or a
   process runs the install folder's Quorvane.exe or Helper.exe, in any
   session and whatever the spelling of its path */
int ProductIsRunning(void);

#endif
