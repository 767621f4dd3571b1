#pragma once
// The bitmap's canvas: a memory DC with the bitmap's handle (and palette) selected. Only the
// bitmap's own units include this.
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/BitmapImage.h"
#include "framework/graphics/Canvas.h"
#include "framework/win32/GdiHandle.h"

#include <optional>

class TBitmap::TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& bitmap) : bitmap_(bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }

    // Lets the DC go entirely.
    void FreeContext()
    {
        if (!dc_)
            return;
        SetHandle(nullptr);
        Detach();
        dc_.Reset();
    }
    // Takes the image's handle out of the DC before the handle changes...
    void Detach()
    {
        if (!dc_)
            return;
        selectedPalette_.reset();
        selectedBitmap_.reset();
        if (attached_)
            attached_->dc = nullptr;
        attached_ = nullptr;
    }
    // ... and puts the new one in afterwards (the DC stays the same for its users).
    void Attach()
    {
        if (!dc_)
            return;
        TBitmapImage& image = *bitmap_.image_;
        if (image.handle)
            selectedBitmap_.emplace(dc_.Get(), image.handle.Get());
        // Foreground: a memory DC's realisation is what maps the colours exactly.
        if (image.palette)
            selectedPalette_.emplace(dc_.Get(), image.palette.Get(), false, true);
        image.dc = dc_.Get();
        attached_ = &image;
    }

protected:
    void CreateHandle() override
    {
        bitmap_.Unshare();
        dc_.Reset(RequireHandle(CreateCompatibleDC(nullptr)));
        Attach();
        SetHandle(dc_.Get());
    }
    void Changing() override
    {
        bitmap_.CanvasChanging();
        TCanvas::Changing();
    }
    void Changed() override
    {
        bitmap_.CanvasChanged();
        TCanvas::Changed();
    }

private:
    TBitmap& bitmap_;
    TOwnedDC dc_;
    // The image's handle and palette while they are selected into dc_.
    std::optional<TSelectObject> selectedBitmap_;
    std::optional<TSelectPalette> selectedPalette_;
    TBitmapImage* attached_ = nullptr;
};
