#include "framework/ui/Label.h"

#include "framework/win32/GdiHandle.h"

namespace {
const int kDefaultWidth = 65;
const int kDefaultHeight = 13;
}

TLabel::TLabel(TComponent* owner) : TControl(owner)
{
    SetBounds(0, 0, kDefaultWidth, kDefaultHeight);
}

UINT TLabel::TextFlags() const
{
    UINT flags = DT_EXPANDTABS;
    flags |= wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE;
    if (!showAccelChar_)
        flags |= DT_NOPREFIX;
    switch (alignment_) {
    case TAlignment::LeftJustify: flags |= DT_LEFT; break;
    case TAlignment::RightJustify: flags |= DT_RIGHT; break;
    case TAlignment::Center: flags |= DT_CENTER; break;
    }
    return flags;
}

void TLabel::Paint(HDC dc)
{
    RECT r{0, 0, Width(), Height()};
    if (!transparent_) {
        COLORREF back = ColorToRGB(Parent() ? Parent()->Color() : Color());
        SetBkColor(dc, back);
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    }
    SetBkMode(dc, TRANSPARENT);
    TSelectObject font(dc, Font().Handle());
    SetTextColor(dc, Enabled() ? ColorToRGB(Font().Color()) : GetSysColor(COLOR_GRAYTEXT));
    std::string text = Caption();
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, TextFlags());
}

bool TLabel::AccessKeyPressed()
{
    if (!Visible() || !focusControl_ || !focusControl_->CanFocus())
        return false;
    focusControl_->SetFocus();
    return true;
}

void TLabel::AdjustBounds()
{
    if (!autoSize_ || Loading())
        return;
    TScreenDC dc;
    TSelectObject font(dc, Font().Handle());
    // An empty caption keeps the height of one line.
    std::string text = Caption().empty() ? std::string(" ") : Caption();
    RECT r{0, 0, wordWrap_ ? Width() : 0, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, TextFlags() | DT_CALCRECT);
    int width = wordWrap_ ? Width() : r.right - r.left;
    int left = alignment_ == TAlignment::RightJustify ? Left() + Width() - width : Left();
    SetBounds(left, Top(), width, r.bottom - r.top);
}

void TLabel::Loaded()
{
    TControl::Loaded();
    AdjustBounds();
}

void TLabel::CaptionChanged()
{
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged()
{
    TControl::FontChanged();
    AdjustBounds();
}

void TLabel::SetAutoSize(bool autoSize)
{
    if (autoSize == autoSize_)
        return;
    autoSize_ = autoSize;
    AdjustBounds();
}

void TLabel::SetTransparent(bool transparent)
{
    if (transparent == transparent_)
        return;
    transparent_ = transparent;
    Invalidate();
}

void TLabel::SetWordWrap(bool wordWrap)
{
    if (wordWrap == wordWrap_)
        return;
    wordWrap_ = wordWrap;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetAlignment(TAlignment alignment)
{
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    Invalidate();
}

void TLabel::SetShowAccelChar(bool show)
{
    if (show == showAccelChar_)
        return;
    showAccelChar_ = show;
    AdjustBounds();
    Invalidate();
}
