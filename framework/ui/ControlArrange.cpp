// Arranging a TWinControl's children: alignment inside its area, the Tab walk among the
// windowed ones, and the focus.
#include "framework/ui/Control.h"

#include "framework/core/ScopeGuard.h"

#include <algorithm>

namespace {

const UINT kZOrderFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

} // namespace

void TWinControl::SetTabOrder(int order)
{
    if (order == tabOrder_)
        return;
    tabOrder_ = order;
    if (Parent())
        Parent()->UpdateTabOrder();
}

void TWinControl::UpdateTabOrder()
{
    if (!handle_)
        return;
    std::vector<TWinControl*> windowed;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (w->handle_)
                windowed.push_back(w);
    std::stable_sort(windowed.begin(), windowed.end(),
                     [](TWinControl* a, TWinControl* b) { return a->tabOrder_ < b->tabOrder_; });
    // The dialog keys walk the children from the top of the z-order down.
    HWND after = HWND_TOP;
    for (TWinControl* w : windowed) {
        SetWindowPos(w->handle_, after, 0, 0, 0, 0, kZOrderFlags);
        after = w->handle_;
    }
}

void TWinControl::SetTabStop(bool tabStop)
{
    if (tabStop == tabStop_)
        return;
    tabStop_ = tabStop;
    if (handle_) {
        LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
        style = tabStop_ ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrA(handle_, GWL_STYLE, style);
    }
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

bool TWinControl::Focused() const
{
    return handle_ && GetFocus() == handle_;
}

void TWinControl::SetFocus()
{
    TopParent()->ActiveControlRequested(this);
    if (CanFocus())
        ::SetFocus(Handle());
}

// The system would leave the window without a focused control (a disabled one loses the focus,
// a hidden one hands it to its parent), and then Tab, Enter and Esc reach no control.
void TWinControl::PassFocusOn()
{
    HWND focus = GetFocus();
    if (!handle_ || !Parent() || !focus || (focus != handle_ && !IsChild(handle_, focus)))
        return;
    HWND window = GetAncestor(handle_, GA_ROOT);
    HWND first = GetNextDlgTabItem(window, focus, FALSE);
    // The walk comes round to its first control again: the Tab walk is a ring.
    for (HWND next = first; next && next != focus;) {
        if (next != handle_ && !IsChild(handle_, next)) {
            ::SetFocus(next);
            return;
        }
        next = GetNextDlgTabItem(window, next, FALSE);
        if (next == first)
            return;
    }
}

TWinControl* TWinControl::TopParent()
{
    TWinControl* top = this;
    while (top->Parent())
        top = top->Parent();
    return top;
}

void TWinControl::AlignControls()
{
    if (aligning_ || Loading())
        return;
    TTemporaryValue<bool> aligning(aligning_, true);
    RECT r = AlignRect();
    auto place = [&](TAlign align) {
        for (TControl* c : controls_) {
            if (c->Align() != align || !c->Visible())
                continue;
            int w = c->Width(), h = c->Height();
            switch (align) {
            case TAlign::Top:
                c->ApplyBounds(r.left, r.top, r.right - r.left, h);
                r.top += h;
                break;
            case TAlign::Bottom:
                c->ApplyBounds(r.left, r.bottom - h, r.right - r.left, h);
                r.bottom -= h;
                break;
            case TAlign::Left:
                c->ApplyBounds(r.left, r.top, w, r.bottom - r.top);
                r.left += w;
                break;
            case TAlign::Right:
                c->ApplyBounds(r.right - w, r.top, w, r.bottom - r.top);
                r.right -= w;
                break;
            case TAlign::Client:
                c->ApplyBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
                break;
            case TAlign::None:
                break;
            }
        }
    };
    for (TAlign a : {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client})
        place(a);
}
