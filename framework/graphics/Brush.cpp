#include "framework/graphics/Brush.h"

void TBrush::Assign(TPersistent* source)
{
    if (auto* brush = dynamic_cast<TBrush*>(source)) {
        color_ = brush->color_;
        style_ = brush->style_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TBrush::SetColor(COLORREF color)
{
    if (color != color_ || style_ == TBrushStyle::Clear) {
        color_ = color;
        style_ = TBrushStyle::Solid;
        Changed();
    }
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style != style_) {
        style_ = style;
        Changed();
    }
}

HBRUSH TBrush::Handle()
{
    if (style_ == TBrushStyle::Clear)
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    if (!handle_)
        handle_.Reset(RequireHandle(CreateSolidBrush(color_)));
    return handle_.Get();
}
