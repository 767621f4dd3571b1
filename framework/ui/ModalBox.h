#pragma once
// A message box that is modal to the whole program: the thread's other top-level windows are
// disabled while it is up, and the previously active window is active again afterwards.
#include <windows.h>

#include <string>

// Owner is the application's hidden window once the application object exists.
int ShowModalBox(const std::string& text, const std::string& caption, UINT flags);
