#include "framework/ui/ImageControl.h"

#include "framework/graphics/Canvas.h"

namespace {
const int kDefaultSize = 105;
}

TImage::TImage(TComponent* owner) : TControl(owner)
{
    SetBounds(0, 0, kDefaultSize, kDefaultSize);
    picture_.OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage()
{
    picture_.OnChange = nullptr;
}

void TImage::PictureChanged()
{
    if (autoSize_ && !Loading() && picture_.Width() > 0 && picture_.Height() > 0)
        SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Invalidate();
}

void TImage::Loaded()
{
    TControl::Loaded();
    PictureChanged();
}

void TImage::SetAutoSize(bool autoSize)
{
    if (autoSize == autoSize_)
        return;
    autoSize_ = autoSize;
    PictureChanged();
}

void TImage::SetStretch(bool stretch)
{
    if (stretch == stretch_)
        return;
    stretch_ = stretch;
    Invalidate();
}

void TImage::SetCenter(bool center)
{
    if (center == center_)
        return;
    center_ = center;
    Invalidate();
}

HPALETTE TImage::GetPalette()
{
    TGraphic* graphic = picture_.Graphic();
    return graphic ? graphic->Palette() : nullptr;
}

RECT TImage::DestRect()
{
    if (stretch_)
        return RECT{0, 0, Width(), Height()};
    int w = picture_.Width(), h = picture_.Height();
    int x = center_ ? (Width() - w) / 2 : 0;
    int y = center_ ? (Height() - h) / 2 : 0;
    return RECT{x, y, x + w, y + h};
}

void TImage::Paint(HDC dc)
{
    TGraphic* graphic = picture_.Graphic();
    if (!graphic || graphic->Empty())
        return;
    TCanvas canvas;
    TCanvasDCScope scope(canvas, dc);
    canvas.StretchDraw(DestRect(), graphic);
}
