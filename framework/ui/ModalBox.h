#pragma once
// A message box that is modal to the whole program: the thread's other top-level windows are
// disabled while it is up, and the previously active window is active again afterwards.
#include <windows.h>

#include <string>

// owner: the window that owns the box (the application's hidden window), or nullptr.
int ShowModalBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
