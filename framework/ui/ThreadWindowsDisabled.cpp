#include "framework/ui/ThreadWindowsDisabled.h"

TThreadWindowsDisabled::TThreadWindowsDisabled()
{
    EnumThreadWindows(GetCurrentThreadId(), &TThreadWindowsDisabled::Visit,
                      reinterpret_cast<LPARAM>(this));
}

TThreadWindowsDisabled::~TThreadWindowsDisabled()
{
    // A window destroyed meanwhile has nothing left to enable.
    for (HWND w : disabled_)
        if (IsWindow(w))
            EnableWindow(w, TRUE);
}

BOOL CALLBACK TThreadWindowsDisabled::Visit(HWND window, LPARAM self)
{
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        reinterpret_cast<TThreadWindowsDisabled*>(self)->disabled_.push_back(window);
    }
    return TRUE;
}
