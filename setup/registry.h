/*
 * The product's registry layout as Setup writes it, beside the record
 * (record.h): the main program's settings, seeded with defaults but never
 * overwritten, the entry in the Windows uninstall list, and the keys an
 * uninstall removes.
 */
#ifndef QUORVANE_SETUP_REGISTRY_H
#define QUORVANE_SETUP_REGISTRY_H

#include <windows.h>

#include <stddef.h>

int ValueExists(HKEY key, const char *name);
int SetDwordValue(HKEY key, const char *name, DWORD value);
int SetStringValue(HKEY key, const char *name, const char *text);
/* the main program's settings, where they are missing (none for
   LocalSystem); 0 when a key cannot be opened */
int SeedSettings(void);
/* the whole entry of this version for InstallPath, remembered first, but
   the version an earlier run committed (none for a new one); 0 when it
   cannot be written */
int RegisterUninstallEntry(void);
/* the entry's version set to this one, once the machine's record has
   committed it: a detection rule that reads it never runs ahead of the
   record. 0 when it cannot be written (the next run completes it) */
int CompleteEntryVersion(void);
/* the entry deleted, remembered first; 0 when it cannot be remembered */
int DeleteUninstallEntry(void);
/* the entry's "UninstallString" in command (size bytes); 0 without one */
int ReadUninstallCommand(char *command, size_t size);
/* the settings and the context-menu verb keys; a key that stays is
   logged */
void DeleteProductKeys(void);
/* a key's line in the log: done (LOG_REGISTRY_WRITTEN or
   LOG_REGISTRY_DELETED) and the key, or the failure with its status */
void LogKey(const char *done, HKEY root, const char *path, LONG status);
/* RegDeleteKeyA, logged; a key that is not there is no failure */
void DeleteRegistryKey(HKEY root, const char *path);
/* a key under HKEY_LOCAL_MACHINE, when nothing is left in it */
void DeleteMachineKeyIfEmpty(const char *path);

#endif
