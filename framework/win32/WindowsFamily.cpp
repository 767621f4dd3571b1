#include "framework/win32/WindowsFamily.h"

#include <windows.h>

bool IsNtFamily()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    // GetVersionEx only fails for a wrong size; the 95 family is the careful guess then.
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}
