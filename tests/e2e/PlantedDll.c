/* A stand-in for a system DLL, planted beside the updater as an attacker would: when it is
   loaded it leaves a marker file beside itself (its own path + ".loaded"). Every function it
   exports (see planted-def.sh) is the one entry below, which does nothing. */
#include <windows.h>

static const char kMarkerSuffix[] = ".loaded";

int PlantedEntry(void)
{
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char marker[MAX_PATH + sizeof kMarkerSuffix] = {0};
        DWORD length = GetModuleFileNameA(instance, marker, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcatA(marker, kMarkerSuffix);
            HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, NULL);
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
        }
    }
    return TRUE;
}
