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
        screenDC_.Reset(RequireHandle(GetDC(nullptr)));
    return screenDC_.Get();
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
        HGDIOBJ previous = SelectObject(memoryDC_.Get(), bitmap);
        previousBitmap_ = previous == HGDI_ERROR ? nullptr : previous;
    }
}

void TMemoryCanvas::DeselectBitmap()
{
    if (!previousBitmap_)
        return;
    SelectObject(memoryDC_.Get(), previousBitmap_);
    previousBitmap_ = nullptr;
}

void TMemoryCanvas::FreeHandle()
{
    if (memoryDC_) {
        DeselectBitmap();
        SetHandle(nullptr);
        memoryDC_.Reset();
    }
    screenDC_.Reset();
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
