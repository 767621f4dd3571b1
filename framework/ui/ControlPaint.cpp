// Painting: a TWinControl's background and its own drawing, then its non-windowed children,
// each in its own rectangle; and asking for a repaint.
#include "framework/ui/Control.h"

#include "framework/win32/GdiHandle.h"
#include "framework/core/OwnedHandle.h"

namespace {

// BeginPaint's DC, given back by EndPaint (also when a painter fails).
struct TEndPaint {
    HWND window;
    PAINTSTRUCT paint;
    void operator()(HDC) const { EndPaint(window, &paint); }
};
using TPaintDC = TOwnedHandle<HDC, TEndPaint>;

TPaintDC BeginPainting(HWND window)
{
    TEndPaint end{window, {}};
    HDC dc = BeginPaint(window, &end.paint);
    return TPaintDC(dc, end);
}

} // namespace

void TWinControl::EraseBackground(HDC dc)
{
    if (brush_.Style() == TBrushStyle::Clear)
        return;
    RECT r;
    GetClientRect(handle_, &r);
    if (Color() & kSystemColorFlag) {
        FillRect(dc, &r, GetSysColorBrush(static_cast<int>(Color() & ~kSystemColorFlag)));
        return;
    }
    TOwnedBrush brush(RequireHandle(CreateSolidBrush(Color())));
    FillRect(dc, &r, brush.Get());
}

void TWinControl::Paint()
{
    TPaintDC dc = BeginPainting(handle_);
    PaintWindow(dc.Get());
    PaintControls(dc.Get());
}

void TWinControl::PaintControls(HDC dc)
{
    for (TControl* c : controls_) {
        if (c->IsWindowed() || !c->Visible())
            continue;
        RECT r = c->BoundsRect();
        if (!RectVisible(dc, &r))
            continue;
        TSavedDC saved(dc);
        OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
        IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        c->Paint(dc);
    }
}

void TWinControl::Invalidate()
{
    if (handle_)
        InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Repaint()
{
    if (handle_) {
        InvalidateRect(handle_, nullptr, TRUE);
        UpdateWindow(handle_);
    }
}

void TControl::Invalidate()
{
    if (parent_ && parent_->HandleAllocated()) {
        RECT r = BoundsRect();
        InvalidateRect(parent_->handle_, &r, TRUE);
    }
}

void TControl::Repaint()
{
    Invalidate();
    if (parent_ && parent_->HandleAllocated())
        UpdateWindow(parent_->handle_);
}
