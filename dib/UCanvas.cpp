#include "dib/UCanvas.h"

TMemoryCanvas::~TMemoryCanvas()
{
    FreeHandle();
}

HDC TMemoryCanvas::ReferenceDC()
{
    if (referenceDC_)
        return referenceDC_;
    if (!screenDC_)
        screenDC_.emplace();
    return *screenDC_;
}

void TMemoryCanvas::SetReferenceDC(HDC dc)
{
    if (dc == referenceDC_)
        return;
    FreeHandle();
    referenceDC_ = dc;
}

void TMemoryCanvas::CreateHandle()
{
    // Compatible with the screen whatever the reference device: the bitmaps selected here are
    // screen bitmaps.
    memoryDC_.Reset(RequireHandle(CreateCompatibleDC(nullptr)));
    SetHandle(memoryDC_.Get());
    ScaleFontTo(ReferenceDC());
    if (!BitmapSelected())
        SelectBitmap(GetBitmapHandle());
}

void TMemoryCanvas::ScaleFontTo(HDC reference)
{
    const int ppi = GetDeviceCaps(reference, LOGPIXELSY);
    if (ppi == Font().PixelsPerInch())
        return;
    // Same point size, measured in the reference device's pixels.
    const int points = Font().Size();
    Font().SetPixelsPerInch(ppi);
    Font().SetSize(points);
}

void TMemoryCanvas::SelectBitmap(HBITMAP bitmap)
{
    DeselectBitmap();
    if (bitmap && memoryDC_) {
        bitmap_.emplace(memoryDC_.Get(), bitmap);
        if (!bitmap_->Selected())
            bitmap_.reset();
    }
}

void TMemoryCanvas::DeselectBitmap()
{
    bitmap_.reset();
}

void TMemoryCanvas::FreeHandle()
{
    if (memoryDC_) {
        DeselectBitmap();
        SetHandle(nullptr);
        memoryDC_.Reset();
    }
    screenDC_.reset();
}

HDC CanvasReferenceDC(TCanvas& canvas)
{
    if (auto* memory = dynamic_cast<TMemoryCanvas*>(&canvas))
        return memory->ReferenceDC();
    return canvas.Handle();
}

bool IsPrinterCanvas(TCanvas& canvas)
{
    const int technology = GetDeviceCaps(CanvasReferenceDC(canvas), TECHNOLOGY);
    return technology == DT_PLOTTER || technology == DT_RASPRINTER;
}
