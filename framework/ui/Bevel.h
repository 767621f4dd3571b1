#pragma once
// A sunken or raised frame or line painted by its parent; also the frame drawing that panels use.
#include "framework/ui/Control.h"

enum class TBevelShape { Box, Frame, TopLine, BottomLine, LeftLine, RightLine, Spacer };
enum class TBevelStyle { Lowered, Raised };

// Draws a frame width pixels wide just inside rect (top and left edges in topLeft, the others in
// bottomRight) and shrinks rect by it.
void DrawFrame3D(HDC dc, RECT& rect, COLORREF topLeft, COLORREF bottomRight, int width);
// Fills rect with one colour without making a brush.
void FillSolid(HDC dc, const RECT& rect, COLORREF color);

class TBevel : public TControl {
public:
    explicit TBevel(TComponent* owner);
    ZA2_CLASS_NAME(TBevel)

    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape shape);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle style);

    void Paint(HDC dc) override;

private:
    TBevelShape shape_ = TBevelShape::Box;
    TBevelStyle style_ = TBevelStyle::Lowered;
};
