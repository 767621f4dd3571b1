#include "framework/ui/Panel.h"

#include "framework/ui/Bevel.h"
#include "framework/win32/GdiHandle.h"

namespace {
const int kDefaultWidth = 185;
const int kDefaultHeight = 41;

void DrawCut(HDC dc, RECT& r, TBevelCut cut, int width)
{
    if (cut == TBevelCut::None)
        return;
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    if (cut == TBevelCut::Lowered)
        DrawFrame3D(dc, r, shadow, light, width);
    else
        DrawFrame3D(dc, r, light, shadow, width);
}
}

TPanel::TPanel(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, kDefaultWidth, kDefaultHeight);
}

void TPanel::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.style |= WS_CLIPCHILDREN;
    params.exStyle |= WS_EX_CONTROLPARENT;
}

RECT TPanel::AlignRect()
{
    RECT r = ClientRect();
    int inset = borderWidth_;
    if (bevelOuter_ != TBevelCut::None)
        inset += bevelWidth_;
    if (bevelInner_ != TBevelCut::None)
        inset += bevelWidth_;
    InflateRect(&r, -inset, -inset);
    return r;
}

void TPanel::PaintWindow(HDC dc)
{
    RECT r = ClientRect();
    DrawCut(dc, r, bevelOuter_, bevelWidth_);
    InflateRect(&r, -borderWidth_, -borderWidth_);
    DrawCut(dc, r, bevelInner_, bevelWidth_);
    std::string text = StoredCaption();
    if (text.empty())
        return;
    SetBkMode(dc, TRANSPARENT);
    TSelectObject font(dc, Font().Handle());
    SetTextColor(dc, ColorToRGB(Font().Color()));
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
}

void TPanel::CaptionChanged()
{
    TWinControl::CaptionChanged();
    Invalidate();
}

void TPanel::FrameChanged()
{
    Invalidate();
    AlignControls();
}

void TPanel::SetBevelInner(TBevelCut cut)
{
    if (cut == bevelInner_)
        return;
    bevelInner_ = cut;
    FrameChanged();
}

void TPanel::SetBevelOuter(TBevelCut cut)
{
    if (cut == bevelOuter_)
        return;
    bevelOuter_ = cut;
    FrameChanged();
}

void TPanel::SetBevelWidth(int width)
{
    if (width == bevelWidth_)
        return;
    bevelWidth_ = width;
    FrameChanged();
}

void TPanel::SetBorderWidth(int width)
{
    if (width == borderWidth_)
        return;
    borderWidth_ = width;
    FrameChanged();
}
