#include "framework/graphics/Pen.h"

namespace {

int Win32PenStyle(TPenStyle style)
{
    switch (style) {
    case TPenStyle::Dash: return PS_DASH;
    case TPenStyle::Dot: return PS_DOT;
    case TPenStyle::DashDot: return PS_DASHDOT;
    case TPenStyle::DashDotDot: return PS_DASHDOTDOT;
    case TPenStyle::Clear: return PS_NULL;
    case TPenStyle::InsideFrame: return PS_INSIDEFRAME;
    case TPenStyle::Solid: break;
    }
    return PS_SOLID;
}

}  // namespace

void TPen::Assign(TPersistent* source)
{
    if (auto* pen = dynamic_cast<TPen*>(source)) {
        color_ = pen->color_;
        width_ = pen->width_;
        style_ = pen->style_;
        mode_ = pen->mode_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TPen::SetColor(COLORREF color)
{
    if (color != color_) {
        color_ = color;
        Changed();
    }
}

void TPen::SetWidth(int width)
{
    if (width != width_) {
        width_ = width;
        Changed();
    }
}

void TPen::SetStyle(TPenStyle style)
{
    if (style != style_) {
        style_ = style;
        Changed();
    }
}

void TPen::SetMode(int mode)
{
    if (mode != mode_) {
        mode_ = mode;
        Changed();
    }
}

HPEN TPen::Handle()
{
    if (!handle_)
        handle_.Reset(RequireHandle(CreatePen(Win32PenStyle(style_), width_, color_)));
    return handle_.Get();
}
