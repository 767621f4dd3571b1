#pragma once
// A canvas over a memory DC of its own, into which a subclass's bitmap is selected. Fonts are
// scaled for the device the canvas stands for (its reference device, else the screen), and the
// DC is let go on request so that owners hold GDI resources only while they draw.
#include "framework/graphics/Canvas.h"
#include "framework/win32/GdiHandle.h"

#include <windows.h>

#include <optional>

class TMemoryCanvas : public TCanvas {
public:
    TMemoryCanvas() = default;
    ~TMemoryCanvas() override;
    ZA2_CLASS_NAME(TMemoryCanvas)

    // The given reference DC, or the screen's (taken on first need, kept until FreeHandle).
    HDC ReferenceDC();
    // A different DC frees the handle first; the DC stays its owner's.
    void SetReferenceDC(HDC dc);

    // Selects bitmap into the memory DC in place of the one selected now (0: none).
    void SelectBitmap(HBITMAP bitmap);
    void DeselectBitmap();
    bool BitmapSelected() const { return bitmap_.has_value(); }

    // Deletes the memory DC and releases the screen DC; the next use makes a fresh one.
    void FreeHandle();

protected:
    void CreateHandle() override;
    // The bitmap to select into a new memory DC.
    virtual HBITMAP GetBitmapHandle() = 0;

private:
    void ScaleFontTo(HDC reference);

    HDC referenceDC_ = nullptr;
    TOwnedDC memoryDC_;
    std::optional<TSelectObject> bitmap_;   // selected into memoryDC_
    std::optional<TScreenDC> screenDC_;
};

// The device a canvas stands for: a memory canvas's reference device, else the canvas's own DC.
HDC CanvasReferenceDC(TCanvas& canvas);
// Whether that device is a printer or a plotter.
bool IsPrinterCanvas(TCanvas& canvas);
