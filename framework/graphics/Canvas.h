#pragma once
// Canvases: drawing surfaces over a device context, with a font, a pen, a brush and a copy mode
// that are selected into the DC while the canvas holds it. When the canvas lets the DC go
// (SetHandle with another DC or none, or destruction), the DC gets its original objects back.
//
// TCanvas over a DC it does not own: SetHandle(dc) before drawing, SetHandle(nullptr) after.
// Derived canvases supply their own DC on demand by overriding CreateHandle (which calls
// SetHandle) and free it themselves (SetHandle(nullptr), then delete/release the DC).
#include "framework/graphics/Brush.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Pen.h"
#include "framework/win32/GdiHandle.h"
#include "framework/core/Events.h"
#include "framework/core/Persistent.h"

#include <windows.h>

#include <optional>
#include <string>

class TGraphic;

class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    ZA2_CLASS_NAME(TCanvas)

    // The DC with font, pen and brush selected; made by CreateHandle when there is none.
    // Counts as the start of a change (raises OnChanging, which makes a shared bitmap image
    // private), because callers draw on it directly.
    HDC Handle();
    // Takes dc (not owned) or lets the current one go (nullptr); selected objects are restored.
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return dc_ != nullptr; }

    TFont& Font() { return font_; }
    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }

    // Raster operation used by Draw, StretchDraw and CopyRect (SRCCOPY at creation).
    DWORD CopyMode() const { return copyMode_; }
    void SetCopyMode(DWORD mode) { copyMode_ = mode; }

    // Graphics: drawn at their own size at (x, y), or scaled into rect. Null or empty graphics
    // draw nothing.
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const RECT& rect, TGraphic* graphic);

    // The clip box of the DC in logical units.
    RECT ClipRect();

    // Re-entrant: nested Lock/Unlock pairs; a locked canvas keeps its DC.
    void Lock() { ++lockCount_; }
    void Unlock()
    {
        if (lockCount_ > 0)
            --lockCount_;
    }
    bool Locked() const { return lockCount_ > 0; }
    int LockCount() const { return lockCount_; }

    COLORREF Pixel(int x, int y);   // CLR_INVALID outside the clip region
    void SetPixel(int x, int y, COLORREF color);

    void FillRect(const RECT& rect);    // with the brush
    void FrameRect(const RECT& rect);   // one-pixel frame with the brush
    void Rectangle(int left, int top, int right, int bottom);   // pen outline, brush inside
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void TextOut(int x, int y, const std::string& text);
    // Text clipped to rect, starting at (x, y).
    void TextRect(const RECT& rect, int x, int y, const std::string& text);
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    // Copies source's sourceRect into destRect of this canvas with CopyMode (stretching).
    void CopyRect(const RECT& destRect, TCanvas& source, const RECT& sourceRect);

    TNotifyEvent OnChange;     // after every drawing operation
    TNotifyEvent OnChanging;   // before every drawing operation

protected:
    // Called when a DC is needed and there is none: must call SetHandle with a DC, or leave
    // the canvas without one (then the operation raises EInvalidOperation).
    virtual void CreateHandle();
    virtual void Changing();
    virtual void Changed();

    // The DC with the objects selected, without counting as a change (for reading).
    HDC RequiredHandle();

private:
    void SelectTools();
    void DeselectTools();
    void FontChanged();
    void PenChanged();
    void BrushChanged();

    HDC dc_ = nullptr;
    TFont font_;
    TPen pen_;
    TBrush brush_;
    DWORD copyMode_ = SRCCOPY;
    int lockCount_ = 0;
    // The objects the DC held before the canvas selected its tools, selected back when it lets
    // the DC go; and the values the tools replaced.
    std::optional<TSelectObject> originalFont_;
    std::optional<TSelectObject> originalPen_;
    std::optional<TSelectObject> originalBrush_;
    COLORREF originalTextColor_ = 0;
    COLORREF originalBkColor_ = 0;
    int originalBkMode_ = 0;
    int originalRop2_ = 0;
};

// Holds a canvas locked for its lifetime.
class TCanvasLock {
public:
    explicit TCanvasLock(TCanvas& canvas) : canvas_(canvas) { canvas_.Lock(); }
    ~TCanvasLock() { canvas_.Unlock(); }
    TCanvasLock(const TCanvasLock&) = delete;
    TCanvasLock& operator=(const TCanvasLock&) = delete;

private:
    TCanvas& canvas_;
};

// Lends a canvas a DC it does not own for one scope (a WM_PAINT's DC, for example).
class TCanvasDCScope {
public:
    TCanvasDCScope(TCanvas& canvas, HDC dc) : canvas_(canvas) { canvas_.SetHandle(dc); }
    ~TCanvasDCScope() { canvas_.SetHandle(nullptr); }
    TCanvasDCScope(const TCanvasDCScope&) = delete;
    TCanvasDCScope& operator=(const TCanvasDCScope&) = delete;

private:
    TCanvas& canvas_;
};

// A canvas over the whole screen: takes the screen DC on first use, releases it with FreeHandle
// or destruction.
class TScreenCanvas : public TCanvas {
public:
    TScreenCanvas() = default;
    ~TScreenCanvas() override;
    ZA2_CLASS_NAME(TScreenCanvas)
    void FreeHandle();

protected:
    void CreateHandle() override;

private:
    std::optional<TScreenDC> screenDC_;
};
