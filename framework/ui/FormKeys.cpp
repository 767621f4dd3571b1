// A form's keyboard interface: Enter and Esc press the button the dialog key names, Tab walks
// the controls, and a caption's access key acts on its control.
#include "framework/ui/Form.h"

#include <cctype>

namespace {

// Access keys are single-byte characters: a lead byte of a double-byte character is none.
const WPARAM kFirstAccessChar = 0x80;

template <class Visit>
void ForEachControl(TWinControl& parent, Visit visit)
{
    for (int i = 0; i < parent.ControlCount(); ++i) {
        TControl* c = parent.Control(i);
        visit(c);
        if (auto* w = dynamic_cast<TWinControl*>(c))
            ForEachControl(*w, visit);
    }
}

// The dialog codes of the focused window: does it want this key for itself?
bool FocusWantsKey(HWND focus, const MSG& message, UINT wanted)
{
    if (!focus)
        return false;
    auto code = static_cast<UINT>(SendMessageA(focus, WM_GETDLGCODE, message.wParam,
                                               reinterpret_cast<LPARAM>(&message)));
    return (code & wanted) != 0;
}

// True when the caption marks ch (upper case) as its access key ("&F"; "&&" is a plain "&").
bool IsAccessKey(const std::string& caption, char ch)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return std::toupper(static_cast<unsigned char>(caption[i + 1])) == ch;
    }
    return false;
}

} // namespace

// A caption's access key: the first control whose caption marks it acts on it (a button is
// pressed, a label focuses its control).
bool TForm::HandleAccessKey(char key)
{
    bool handled = false;
    ForEachControl(*this, [&](TControl* c) {
        if (!handled && IsAccessKey(c->Caption(), key))
            handled = c->AccessKeyPressed();
    });
    return handled;
}

TControl* TForm::DialogKeyTarget(TDialogKey key)
{
    TControl* found = nullptr;
    ForEachControl(*this, [&](TControl* c) {
        if (!found && c->IsDialogKeyTarget(key, false))
            found = c;
    });
    return found;
}

bool TForm::HandleDialogKey(const MSG& message)
{
    bool keyMessage = message.message == WM_KEYDOWN || message.message == WM_CHAR
                      || message.message == WM_SYSCHAR;
    if (!keyMessage || !HandleAllocated() || !IsWindowEnabled(Handle()))
        return false;
    HWND window = Handle();
    HWND focus = GetFocus();
    if (focus && focus != window && !IsChild(window, focus))
        focus = nullptr;
    if (message.message != WM_KEYDOWN) {
        // Alt and a letter always; a bare letter only where the focus takes no typed text
        // (a button, not an edit box), as in the system's dialogs.
        bool bare = message.message == WM_CHAR;
        if (message.wParam >= kFirstAccessChar || message.wParam < ' '
            || (bare && FocusWantsKey(focus, message, DLGC_WANTCHARS | DLGC_WANTMESSAGE)))
            return false;
        return HandleAccessKey(
            static_cast<char>(std::toupper(static_cast<unsigned char>(message.wParam))));
    }
    switch (message.wParam) {
    case VK_RETURN:
    case VK_ESCAPE:
        return HandleEnterOrEscape(message, focus);
    case VK_TAB: {
        if (GetKeyState(VK_CONTROL) < 0 || FocusWantsKey(focus, message, DLGC_WANTTAB))
            return false;
        bool backwards = GetKeyState(VK_SHIFT) < 0;
        if (HWND next = GetNextDlgTabItem(window, focus, backwards))
            ::SetFocus(next);
        return true;
    }
    default:
        return false;
    }
}

// The focused control comes first: a focused button takes Enter; Enter opens a list entry and
// Esc closes a drop-down.
bool TForm::HandleEnterOrEscape(const MSG& message, HWND focus)
{
    TDialogKey key = message.wParam == VK_RETURN ? TDialogKey::Enter : TDialogKey::Escape;
    TWinControl* focused = FromHandle(focus);
    if (focused && focused->IsDialogKeyTarget(key, true))
        return focused->DialogKeyPressed();
    if (FocusWantsKey(focus, message, DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))
        return false;
    TControl* target = DialogKeyTarget(key);
    return target && target->DialogKeyPressed();
}
