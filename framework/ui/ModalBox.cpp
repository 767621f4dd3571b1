#include "framework/ui/ModalBox.h"

#include "framework/ui/ThreadWindowsDisabled.h"
#include "framework/core/ScopeGuard.h"

int ShowModalBox(HWND owner, const std::string& text, const std::string& caption, UINT flags)
{
    // Declared first, so it runs after the other windows are enabled again.
    TScopeExit activeRestored([active = GetActiveWindow()] { SetActiveWindow(active); });
    TThreadWindowsDisabled disabled;
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}
