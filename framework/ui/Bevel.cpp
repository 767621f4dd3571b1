#include "framework/ui/Bevel.h"

namespace {
const int kDefaultSize = 50;
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color)
{
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void DrawFrame3D(HDC dc, RECT& rect, COLORREF topLeft, COLORREF bottomRight, int width)
{
    for (int i = 0; i < width; ++i) {
        FillSolid(dc, RECT{rect.left, rect.top, rect.right, rect.top + 1}, topLeft);
        FillSolid(dc, RECT{rect.left, rect.top, rect.left + 1, rect.bottom}, topLeft);
        FillSolid(dc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
        FillSolid(dc, RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
        InflateRect(&rect, -1, -1);
    }
}

TBevel::TBevel(TComponent* owner) : TControl(owner)
{
    SetBounds(0, 0, kDefaultSize, kDefaultSize);
}

void TBevel::SetShape(TBevelShape shape)
{
    if (shape == shape_)
        return;
    shape_ = shape;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle style)
{
    if (style == style_)
        return;
    style_ = style;
    Invalidate();
}

void TBevel::Paint(HDC dc)
{
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    // Lowered: the dark edge first, as if light fell from the top left.
    COLORREF first = style_ == TBevelStyle::Lowered ? shadow : light;
    COLORREF second = style_ == TBevelStyle::Lowered ? light : shadow;
    int w = Width(), h = Height();
    RECT r{0, 0, w, h};
    switch (shape_) {
    case TBevelShape::Box:
        DrawFrame3D(dc, r, first, second, 1);
        break;
    case TBevelShape::Frame: {
        RECT outer{0, 0, w - 1, h - 1};
        DrawFrame3D(dc, outer, first, first, 1);
        RECT inner{1, 1, w, h};
        DrawFrame3D(dc, inner, second, second, 1);
        break;
    }
    case TBevelShape::TopLine:
        FillSolid(dc, RECT{0, 0, w, 1}, first);
        FillSolid(dc, RECT{0, 1, w, 2}, second);
        break;
    case TBevelShape::BottomLine:
        FillSolid(dc, RECT{0, h - 2, w, h - 1}, first);
        FillSolid(dc, RECT{0, h - 1, w, h}, second);
        break;
    case TBevelShape::LeftLine:
        FillSolid(dc, RECT{0, 0, 1, h}, first);
        FillSolid(dc, RECT{1, 0, 2, h}, second);
        break;
    case TBevelShape::RightLine:
        FillSolid(dc, RECT{w - 2, 0, w - 1, h}, first);
        FillSolid(dc, RECT{w - 1, 0, w, h}, second);
        break;
    case TBevelShape::Spacer:
        break;
    }
}
