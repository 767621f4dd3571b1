/* A stand-in for a system DLL, planted beside the updater as an attacker would. When the program
   made the system load it, it leaves a marker file beside itself (its own path + ".loaded"). Every
   function it exports (see planted-def.sh) is the one entry below, which does nothing.

   "The program made the system load it": a load at run time (by anybody in the process, since
   the DLL search of the whole process is the program's to restrict), or a load at start because
   the program's own import table names it. Under Wine, Wine's own user32 imports version.dll, so
   with the load order this test sets the stand-in is also loaded at start for Wine's user32. On
   Windows user32 is a KnownDLL, whose dependencies always come from the system folder: that load
   is Wine's alone and is not marked. */
#include <windows.h>

static const char kMarkerSuffix[] = ".loaded";

int PlantedEntry(void)
{
    return 0;
}

/* Whether the import table of the process's program names the DLL called name. */
static BOOL ProgramImports(const char* name)
{
    const BYTE* base = (const BYTE*)GetModuleHandleA(NULL);
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
    const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY* imports =
        &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const IMAGE_IMPORT_DESCRIPTOR* entry;
    if (imports->VirtualAddress == 0)
        return FALSE;
    for (entry = (const IMAGE_IMPORT_DESCRIPTOR*)(base + imports->VirtualAddress); entry->Name;
         ++entry)
        if (lstrcmpiA((const char*)(base + entry->Name), name) == 0)
            return TRUE;
    return FALSE;
}

static void LeaveMarker(HINSTANCE instance)
{
    char marker[MAX_PATH + sizeof kMarkerSuffix] = {0};
    DWORD length = GetModuleFileNameA(instance, marker, MAX_PATH);
    HANDLE file;
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcatA(marker, kMarkerSuffix);
    file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

static const char* BaseName(const char* path)
{
    const char* base = path;
    for (; *path; ++path)
        if (*path == '\\' || *path == '/')
            base = path + 1;
    return base;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    char path[MAX_PATH] = {0};
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    /* reserved is null for a load at run time, set for one while the process starts. */
    GetModuleFileNameA(instance, path, MAX_PATH);
    if (!reserved || ProgramImports(BaseName(path)))
        LeaveMarker(instance);
    return TRUE;
}
