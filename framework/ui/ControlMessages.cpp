// TWinControl's messages: notifications of child controls handed back to them, and the mouse
// routed to the non-windowed children under it.
#include "framework/ui/Control.h"

#include <windowsx.h>

#include <utility>

namespace {

TShiftState ShiftFromKeys(WPARAM keys)
{
    TShiftState s;
    s.shift = (keys & MK_SHIFT) != 0;
    s.ctrl = (keys & MK_CONTROL) != 0;
    s.alt = GetKeyState(VK_MENU) < 0;
    s.left = (keys & MK_LBUTTON) != 0;
    s.right = (keys & MK_RBUTTON) != 0;
    s.middle = (keys & MK_MBUTTON) != 0;
    return s;
}

bool IsButtonDown(UINT message, TMouseButton& button)
{
    switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: button = TMouseButton::Left; return true;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: button = TMouseButton::Right; return true;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: button = TMouseButton::Middle; return true;
    default: return false;
    }
}

bool IsButtonUp(UINT message, TMouseButton& button)
{
    switch (message) {
    case WM_LBUTTONUP: button = TMouseButton::Left; return true;
    case WM_RBUTTONUP: button = TMouseButton::Right; return true;
    case WM_MBUTTONUP: button = TMouseButton::Middle; return true;
    default: return false;
    }
}

} // namespace

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam))) {
            child->Command(HIWORD(wParam));
            return 0;
        }
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (TWinControl* child = FromHandle(item->hwndItem)) {
            child->DrawItem(*item);
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lParam)))
            return reinterpret_cast<LRESULT>(child->ControlColors(reinterpret_cast<HDC>(wParam)));
        break;
    case WM_ERASEBKGND:
        if (ownClass_) {
            EraseBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        }
        break;
    case WM_PAINT:
        if (ownClass_) {
            Paint();
            return 0;
        }
        break;
    default:
        if (message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK && ownClass_
            && RouteMouse(message, wParam, lParam))
            return 0;
        break;
    }
    return DefaultHandler(message, wParam, lParam);
}

HBRUSH TWinControl::ControlColors(HDC dc)
{
    SetTextColor(dc, ColorToRGB(Font().Color()));
    SetBkColor(dc, ColorToRGB(Color()));
    if (Color() & kSystemColorFlag)
        return GetSysColorBrush(static_cast<int>(Color() & ~kSystemColorFlag));
    brush_.SetColor(Color());
    return brush_.Handle();
}

TControl* TWinControl::ControlAtPos(POINT point) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        RECT r = c->BoundsRect();
        if (!c->IsWindowed() && c->Visible() && c->Enabled() && PtInRect(&r, point))
            return c;
    }
    return nullptr;
}

bool TWinControl::RouteMouse(UINT message, WPARAM wParam, LPARAM lParam)
{
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    TShiftState shift = ShiftFromKeys(wParam);
    TMouseButton button;
    if (IsButtonDown(message, button)) {
        TControl* target = ControlAtPos(pt);
        if (!target)
            return false;
        mouseControl_ = target;
        SetCapture(handle_);
        target->MouseDown(button, shift, pt.x - target->Left(), pt.y - target->Top());
        return true;
    }
    if (IsButtonUp(message, button)) {
        TControl* pressed = std::exchange(mouseControl_, nullptr);
        if (pressed && GetCapture() == handle_)
            ReleaseCapture();
        TControl* target = pressed ? pressed : ControlAtPos(pt);
        if (!target)
            return false;
        RECT r = target->BoundsRect();
        bool inside = PtInRect(&r, pt) != FALSE;
        target->MouseUp(button, shift, pt.x - target->Left(), pt.y - target->Top());
        if (pressed && inside && button == TMouseButton::Left)
            pressed->Click();
        return true;
    }
    if (message == WM_MOUSEMOVE) {
        TControl* target = mouseControl_ ? mouseControl_ : ControlAtPos(pt);
        if (!target)
            return false;
        target->MouseMove(shift, pt.x - target->Left(), pt.y - target->Top());
        return true;
    }
    return false;
}
