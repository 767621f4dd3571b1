#pragma once
// A pen description and the HPEN made from it.
#include "framework/graphics/GraphicsObject.h"
#include "framework/win32/GdiHandle.h"

enum class TPenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };

class TPen : public TGraphicsObject {
public:
    TPen() = default;   // solid black, 1 pixel, copy mode R2_COPYPEN
    ZA2_CLASS_NAME(TPen)

    void Assign(TPersistent* source) override;

    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    // Raster operation of lines (SetROP2 value).
    int Mode() const { return mode_; }
    void SetMode(int mode);

    HPEN Handle();

protected:
    HGDIOBJ DetachHandle() override { return handle_.Release(); }

private:
    COLORREF color_ = RGB(0, 0, 0);
    int width_ = 1;
    TPenStyle style_ = TPenStyle::Solid;
    int mode_ = R2_COPYPEN;
    TOwnedPen handle_;
};
