#include "framework/graphics/Canvas.h"

#include "framework/graphics/Graphic.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"

// ---- TCanvas ----

TCanvas::TCanvas()
{
    font_.OnChange = [this](TObject*) { FontChanged(); };
    pen_.OnChange = [this](TObject*) { PenChanged(); };
    brush_.OnChange = [this](TObject*) { BrushChanged(); };
}

TCanvas::~TCanvas()
{
    SetHandle(nullptr);
}

HDC TCanvas::Handle()
{
    Changing();
    return RequiredHandle();
}

HDC TCanvas::RequiredHandle()
{
    if (!dc_)
        CreateHandle();
    if (!dc_)
        throw EInvalidOperation(SNoCanvasHandle);
    return dc_;
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == dc_)
        return;
    if (dc_)
        DeselectTools();
    dc_ = dc;
    if (dc_)
        SelectTools();
}

void TCanvas::CreateHandle() {}

void TCanvas::Changing()
{
    Fire(OnChanging, this);
}

void TCanvas::Changed()
{
    Fire(OnChange, this);
}

void TCanvas::SelectTools()
{
    originalFont_.emplace(dc_, font_.Handle());
    originalPen_.emplace(dc_, pen_.Handle());
    originalBrush_.emplace(dc_, brush_.Handle());
    originalTextColor_ = SetTextColor(dc_, font_.Color());
    originalBkColor_ = SetBkColor(dc_, brush_.Color());
    originalBkMode_ = SetBkMode(dc_, brush_.Style() == TBrushStyle::Clear ? TRANSPARENT : OPAQUE);
    originalRop2_ = SetROP2(dc_, pen_.Mode());
}

void TCanvas::DeselectTools()
{
    // Back to what the DC held, so that a borrowed DC leaves the canvas as it came and the
    // canvas's own objects can be deleted.
    originalFont_.reset();
    originalPen_.reset();
    originalBrush_.reset();
    SetTextColor(dc_, originalTextColor_);
    SetBkColor(dc_, originalBkColor_);
    if (originalBkMode_)
        SetBkMode(dc_, originalBkMode_);
    if (originalRop2_)
        SetROP2(dc_, originalRop2_);
}

void TCanvas::FontChanged()
{
    if (dc_) {
        SelectObject(dc_, font_.Handle());
        SetTextColor(dc_, font_.Color());
    }
}

void TCanvas::PenChanged()
{
    if (dc_) {
        SelectObject(dc_, pen_.Handle());
        SetROP2(dc_, pen_.Mode());
    }
}

void TCanvas::BrushChanged()
{
    if (dc_) {
        SelectObject(dc_, brush_.Handle());
        SetBkColor(dc_, brush_.Color());
        SetBkMode(dc_, brush_.Style() == TBrushStyle::Clear ? TRANSPARENT : OPAQUE);
    }
}

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    StretchDraw(RECT{x, y, x + graphic->Width(), y + graphic->Height()}, graphic);
}

void TCanvas::StretchDraw(const RECT& rect, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    Changing();
    RequiredHandle();
    // The DC's colours stay as the canvas (or the graphic) set them: monochrome images take the
    // text colour for 0 bits and the background colour (the brush's) for 1 bits.
    graphic->Draw(*this, rect);
    Changed();
}

RECT TCanvas::ClipRect()
{
    RECT rect{};
    GetClipBox(RequiredHandle(), &rect);
    return rect;
}

COLORREF TCanvas::Pixel(int x, int y)
{
    return GetPixel(RequiredHandle(), x, y);
}

void TCanvas::SetPixel(int x, int y, COLORREF color)
{
    Changing();
    ::SetPixel(RequiredHandle(), x, y, color);
    Changed();
}

void TCanvas::FillRect(const RECT& rect)
{
    Changing();
    ::FillRect(RequiredHandle(), &rect, brush_.Handle());
    Changed();
}

void TCanvas::FrameRect(const RECT& rect)
{
    Changing();
    ::FrameRect(RequiredHandle(), &rect, brush_.Handle());
    Changed();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    Changing();
    ::Rectangle(RequiredHandle(), left, top, right, bottom);
    Changed();
}

void TCanvas::MoveTo(int x, int y)
{
    MoveToEx(RequiredHandle(), x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    Changing();
    ::LineTo(RequiredHandle(), x, y);
    Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    Changing();
    ::TextOutA(RequiredHandle(), x, y, text.data(), static_cast<int>(text.size()));
    Changed();
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text)
{
    Changing();
    UINT options = ETO_CLIPPED;
    if (brush_.Style() != TBrushStyle::Clear)
        options |= ETO_OPAQUE;
    ExtTextOutA(RequiredHandle(), x, y, options, &rect, text.data(),
                static_cast<UINT>(text.size()), nullptr);
    Changed();
}

SIZE TCanvas::TextExtent(const std::string& text)
{
    SIZE size{};
    GetTextExtentPoint32A(RequiredHandle(), text.data(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::CopyRect(const RECT& destRect, TCanvas& source, const RECT& sourceRect)
{
    Changing();
    HDC sourceDC = source.RequiredHandle();
    StretchBlt(RequiredHandle(), destRect.left, destRect.top, destRect.right - destRect.left,
               destRect.bottom - destRect.top, sourceDC, sourceRect.left, sourceRect.top,
               sourceRect.right - sourceRect.left, sourceRect.bottom - sourceRect.top, copyMode_);
    Changed();
}

// ---- TScreenCanvas ----

TScreenCanvas::~TScreenCanvas()
{
    FreeHandle();
}

void TScreenCanvas::CreateHandle()
{
    screenDC_.emplace();
    SetHandle(*screenDC_);
}

void TScreenCanvas::FreeHandle()
{
    if (screenDC_) {
        SetHandle(nullptr);
        screenDC_.reset();
    }
}
