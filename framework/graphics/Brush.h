#pragma once
// A brush description and the HBRUSH made from it. A Clear brush fills nothing and makes text
// and hatch backgrounds transparent.
#include "framework/graphics/GraphicsObject.h"
#include "framework/win32/GdiHandle.h"

enum class TBrushStyle { Solid, Clear };

class TBrush : public TGraphicsObject {
public:
    TBrush() = default;   // solid white
    ZA2_CLASS_NAME(TBrush)

    void Assign(TPersistent* source) override;

    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);   // also makes a Clear brush Solid
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);

    // The HBRUSH (the stock null brush for Clear); owned by the brush.
    HBRUSH Handle();

protected:
    HGDIOBJ DetachHandle() override { return handle_.Release(); }

private:
    COLORREF color_ = RGB(255, 255, 255);
    TBrushStyle style_ = TBrushStyle::Solid;
    TOwnedBrush handle_;
};
