#pragma once
// Something modal is up (a modal form, a message box): the thread's other top-level windows
// that are visible and enabled are disabled for the guard's lifetime, and enabled again after.
#include <windows.h>

#include <vector>

class TThreadWindowsDisabled {
public:
    TThreadWindowsDisabled();
    ~TThreadWindowsDisabled();
    TThreadWindowsDisabled(const TThreadWindowsDisabled&) = delete;
    TThreadWindowsDisabled& operator=(const TThreadWindowsDisabled&) = delete;

private:
    static BOOL CALLBACK Visit(HWND window, LPARAM self);

    std::vector<HWND> disabled_;
};
