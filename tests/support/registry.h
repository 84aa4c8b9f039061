/*
 * The registry as tests set it up and read it back, value by value and
 * byte for byte.
 */
#ifndef QUORVANE_TESTS_SUPPORT_REGISTRY_H
#define QUORVANE_TESTS_SUPPORT_REGISTRY_H

#include <windows.h>

#include <string>
#include <vector>

/* where Windows keeps what the next restart renames or deletes (a
   REG_MULTI_SZ of pairs), a fact of Windows */
inline const char kPendingKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
inline const char kPendingValue[] = "PendingFileRenameOperations";

/* no product keys, no uninstall entry, no verb keys, nothing pending at
   the restart */
void ResetProductRegistry();
/* how many of the operations pending at the restart name path, as the
   file renamed or deleted or as where one goes */
int PendingMentions(const std::string &path);
int ReadDword(HKEY root, const char *key, const char *name, DWORD *value,
              DWORD *type = NULL);
int ReadString(HKEY root, const char *key, const char *name,
               std::string *value);
/* the raw bytes of a value and its type */
int ReadRaw(HKEY root, const char *key, const char *name, std::string *data,
            DWORD *type);
int KeyExists(HKEY root, const char *key);
int ValueNames(HKEY root, const char *key, std::vector<std::string> *names);
int WriteValue(HKEY root, const char *key, const char *name, DWORD type,
               const void *data, DWORD size);
int WriteDword(HKEY root, const char *key, const char *name, DWORD value);
int WriteString(HKEY root, const char *key, const char *name,
                const std::string &text);
int CreateKey(HKEY root, const char *key);
/* a volatile key, gone at the next start of Windows: no lasting key can
   be made below it, so a write of one fails for real */
int CreateVolatileKey(HKEY root, const char *key);
/* the key and everything below it */
void DeleteKeyTree(HKEY root, const char *key);

/* the screen's DPI for the programs started while one lives (Windows and
   Wine read it at a program's start); the DPI before is back afterwards */
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi);
    ~ScreenDpi();
    ScreenDpi(const ScreenDpi &) = delete;
    ScreenDpi &operator=(const ScreenDpi &) = delete;

private:
    DWORD previous_;
    int had_;
};

#endif
