#pragma once
// The control of a form that has the focus now gets it back when the guard ends. Hiding the
// focused control passes the focus on (to the form itself when no other control can take it),
// and showing the control again does not bring it back: a keyboard user would find the focus
// elsewhere, or on no control at all, Tab walking from nowhere. It is given back at once while
// the form is the active window (the focus must never pull a window to the front), else when
// the form is activated again.
#include <windows.h>

class TFocusKept {
public:
    TFocusKept() : focus_(GetFocus()) {}
    ~TFocusKept();
    TFocusKept(const TFocusKept&) = delete;
    TFocusKept& operator=(const TFocusKept&) = delete;

private:
    HWND focus_;
};
