#include "framework/ui/Control.h"

#include "framework/core/Exception.h"
#include "framework/core/ScopeGuard.h"

COLORREF ColorToRGB(COLORREF color)
{
    if (color & kSystemColorFlag)
        return GetSysColor(static_cast<int>(color & ~kSystemColorFlag));
    return color;
}

TControl::TControl(TComponent* owner) : TComponent(owner)
{
    font_.OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl()
{
    font_.OnChange = nullptr;
    if (parent_)
        parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    if (parent == this)
        throw EInvalidOperation("a control cannot be its own parent");
    Invalidate();
    if (parent_)
        parent_->RemoveControl(this);
    parent_ = parent;
    if (parent_) {
        TakeParentFont();
        parent_->InsertControl(this);
        Invalidate();
        RequestAlign();
    }
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    ApplyBounds(left, top, width, height);
    RequestAlign();
}

void TControl::ApplyBounds(int left, int top, int width, int height)
{
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged();
}

void TControl::BoundsChanged()
{
    Invalidate();
}

bool TControl::Showing() const
{
    if (!visible_)
        return false;
    return parent_ ? parent_->Showing() : true;
}

void TControl::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    VisibleChanged();
}

void TControl::VisibleChanged()
{
    // The parent repaints the area in both directions: shown or uncovered.
    if (parent_ && parent_->HandleAllocated()) {
        RECT r = BoundsRect();
        InvalidateRect(parent_->Handle(), &r, TRUE);
    }
    if (align_ != TAlign::None)
        RequestAlign();
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    EnabledChanged();
}

void TControl::SetCaption(const std::string& caption)
{
    if (caption == Caption())
        return;
    caption_ = caption;
    CaptionChanged();
}

void TControl::SetAlign(TAlign align)
{
    if (align == align_)
        return;
    align_ = align;
    RequestAlign();
}

void TControl::SetParentFont(bool parentFont)
{
    parentFont_ = parentFont;
    if (parentFont_)
        TakeParentFont();
}

void TControl::TakeParentFont()
{
    if (!parentFont_ || !parent_)
        return;
    TTemporaryValue<bool> taking(takingParentFont_, true);
    font_.Assign(&parent_->Font());
    FontChanged();
}

void TControl::FontChanged()
{
    // A font set on the control itself ends the inheritance from the parent.
    if (!takingParentFont_)
        parentFont_ = false;
    Invalidate();
}

void TControl::SetColor(COLORREF color)
{
    if (color == color_)
        return;
    color_ = color;
    ColorChanged();
}

void TControl::Paint(HDC) {}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    Fire(OnMouseDown, this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    Fire(OnMouseUp, this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    Fire(OnMouseMove, this, shift, x, y);
}

void TControl::Click()
{
    Fire(OnClick, this);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    RequestAlign();
}

void TControl::RequestAlign()
{
    if (parent_ && !parent_->Loading())
        parent_->AlignControls();
}
