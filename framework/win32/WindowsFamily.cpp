#include "framework/win32/WindowsFamily.h"

#include <windows.h>

namespace {

bool AskNtFamily()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    // GetVersionEx only fails for a wrong size; the 95 family is the careful guess then.
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

} // namespace

bool IsNtFamily()
{
    // The family cannot change while the program runs: asked once.
    static const bool ntFamily = AskNtFamily();
    return ntFamily;
}
