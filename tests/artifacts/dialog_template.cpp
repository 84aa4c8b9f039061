/*
 * Dialog template and icon group readers, and dialogs made from a
 * program's template (see dialog_template.h).
 */
#include "dialog_template.h"

namespace {

struct Reader {
    const BYTE *data;
    size_t size;
    size_t at;
    int failed;

    WORD Word()
    {
        if (at + 2 > size) { failed = 1; return 0; }
        WORD w = (WORD)(data[at] | (data[at + 1] << 8));
        at += 2;
        return w;
    }
    DWORD Dword()
    {
        DWORD low = Word();
        return low | ((DWORD)Word() << 16);
    }
    std::string Text()
    {
        std::wstring wide;
        for (;;) {
            WORD c = Word();
            if (failed || c == 0)
                break;
            wide += (wchar_t)c;
        }
        if (wide.empty())
            return std::string();
        char buffer[4096];
        int n = WideCharToMultiByte(932, 0, wide.c_str(), (int)wide.size(), buffer,
                                    sizeof(buffer), NULL, NULL);
        return std::string(buffer, n > 0 ? n : 0);
    }
    /* a name or, after 0xFFFF, an ordinal written as "#n" */
    std::string NameOrOrdinal()
    {
        if (at + 2 <= size && data[at] == 0xFF && data[at + 1] == 0xFF) {
            at += 2;
            return "#" + std::to_string(Word());
        }
        return Text();
    }
    void Align()
    {
        at = (at + 3) & ~(size_t)3;
    }
};

} // namespace

int LoadDialogTemplate(const std::string &exe, const char *name,
                       DialogTemplate *result)
{
    HMODULE module = LoadLibraryExA(exe.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (module == NULL)
        return 0;
    HRSRC resource = FindResourceA(module, name, (LPCSTR)RT_DIALOG);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : NULL;
    if (loaded == NULL) {
        FreeLibrary(module);
        return 0;
    }
    Reader r = {(const BYTE *)LockResource(loaded), SizeofResource(module, resource), 0, 0};
    DialogTemplate &t = *result;
    t.extended = r.size >= 4 && r.data[2] == 0xFF && r.data[3] == 0xFF;
    if (t.extended) {
        FreeLibrary(module);
        return 1; /* the tests expect the classic form; report only that */
    }
    t.style = r.Dword();
    t.exStyle = r.Dword();
    WORD count = r.Word();
    t.x = (short)r.Word();
    t.y = (short)r.Word();
    t.cx = (short)r.Word();
    t.cy = (short)r.Word();
    t.menu = r.NameOrOrdinal();
    t.windowClass = r.NameOrOrdinal();
    t.caption = r.Text();
    t.pointSize = 0;
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Word();
        t.fontFace = r.Text();
    }
    t.items.clear();
    for (WORD i = 0; i < count && !r.failed; i++) {
        r.Align();
        DialogItem item;
        item.style = r.Dword();
        item.exStyle = r.Dword();
        item.x = (short)r.Word();
        item.y = (short)r.Word();
        item.cx = (short)r.Word();
        item.cy = (short)r.Word();
        item.id = r.Word();
        item.className = r.NameOrOrdinal();
        item.text = r.NameOrOrdinal();
        WORD extra = r.Word();
        r.at += extra;
        t.items.push_back(item);
    }
    int ok = !r.failed;
    FreeLibrary(module);
    return ok;
}

static INT_PTR CALLBACK IdleDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

HWND CreateDialogFromProgram(const std::string &exe, const char *name)
{
    HMODULE module = LoadLibraryExA(exe.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (module == NULL)
        return NULL;
    HRSRC resource = FindResourceA(module, name, (LPCSTR)RT_DIALOG);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : NULL;
    HWND dialog = NULL;
    /* the dialog manager reads the template while it creates the dialog
       and keeps nothing of it; the controls are the system's classes */
    if (loaded != NULL)
        dialog = CreateDialogIndirectParamA(GetModuleHandleA(NULL),
                                            (LPCDLGTEMPLATEA)LockResource(loaded), NULL,
                                            IdleDialogProc, 0);
    FreeLibrary(module);
    return dialog;
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

int LoadIconGroup(const std::string &exe, const char *name,
                  std::vector<IconImage> *images)
{
    HMODULE module = LoadLibraryExA(exe.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (module == NULL)
        return 0;
    HRSRC resource = FindResourceA(module, name, (LPCSTR)RT_GROUP_ICON);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : NULL;
    if (loaded == NULL) {
        FreeLibrary(module);
        return 0;
    }
    const BYTE *data = (const BYTE *)LockResource(loaded);
    DWORD size = SizeofResource(module, resource);
    images->clear();
    WORD count = size >= 6 ? (WORD)(data[4] | (data[5] << 8)) : 0;
    for (WORD i = 0; i < count && 6 + (i + 1) * sizeof(GroupIconEntry) <= size; i++) {
        const GroupIconEntry *e = (const GroupIconEntry *)(data + 6 + i * sizeof(GroupIconEntry));
        IconImage image = {e->width ? e->width : 256, e->height ? e->height : 256,
                           e->colours, e->bitCount};
        images->push_back(image);
    }
    FreeLibrary(module);
    return 1;
}

int LoadResourceBytes(const std::string &exe, LPCSTR type, LPCSTR name,
                      std::string *data)
{
    HMODULE module = LoadLibraryExA(exe.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (module == NULL)
        return 0;
    HRSRC resource = FindResourceA(module, name, type);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : NULL;
    if (loaded != NULL)
        data->assign((const char *)LockResource(loaded), SizeofResource(module, resource));
    FreeLibrary(module);
    return loaded != NULL;
}
