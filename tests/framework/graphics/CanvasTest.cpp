// Canvases: borrowed DCs come back as they were, tools follow their changes, derived canvases
// supply their own DCs.
#include "framework/graphics/Canvas.h"

#include "support/DrawTarget.h"
#include "framework/graphics/Bitmap.h"
#include "framework/win32/GdiHandle.h"
#include "framework/core/Exception.h"

#include <gtest/gtest.h>

namespace {

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);

// A canvas that makes a memory DC over its own bitmap when it is first needed.
class TOwnDCCanvas : public TCanvas {
public:
    TOwnDCCanvas()
    {
        TScreenDC screen;
        bitmap_.Reset(CreateCompatibleBitmap(screen, 4, 4));
    }
    ~TOwnDCCanvas() override { FreeHandle(); }
    void FreeHandle()
    {
        SetHandle(nullptr);
        select_.reset();
        dc_.reset();
    }
    int created = 0;

protected:
    void CreateHandle() override
    {
        ++created;
        dc_.emplace();
        select_.emplace(*dc_, bitmap_.Get());
        SetHandle(*dc_);
    }

private:
    TOwnedBitmap bitmap_;
    std::optional<TMemoryDC> dc_;
    std::optional<TSelectObject> select_;
};

}  // namespace

TEST(Canvas, BorrowedDCGetsItsObjectsAndColoursBack)
{
    TDrawTarget target(4, 4, kYellow);
    target.Canvas().SetHandle(nullptr);
    HDC dc = target.DC();
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    COLORREF text = GetTextColor(dc);
    {
        TCanvas canvas;
        TCanvasDCScope scope(canvas, dc);
        canvas.Font().SetColor(kRed);
        canvas.Font().SetHeight(-20);   // remade while selected
        canvas.Pen().SetColor(kBlue);
        canvas.Brush().SetColor(kBlue);
        canvas.Rectangle(0, 0, 3, 3);
        canvas.TextOut(0, 0, "ｱ");
        EXPECT_NE(font, GetCurrentObject(dc, OBJ_FONT));
    }
    EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT));
    EXPECT_EQ(pen, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(brush, GetCurrentObject(dc, OBJ_BRUSH));
    EXPECT_EQ(text, GetTextColor(dc));
}

TEST(Canvas, ToolsAndPixels)
{
    TDrawTarget target(4, 4, kYellow);
    TCanvas& canvas = target.Canvas();
    canvas.Brush().SetColor(kBlue);
    canvas.FillRect(RECT{0, 0, 2, 2});
    EXPECT_EQ(kBlue, target.Pixel(1, 1));
    EXPECT_EQ(kYellow, target.Pixel(2, 2));
    canvas.SetPixel(3, 3, kRed);
    EXPECT_EQ(kRed, canvas.Pixel(3, 3));
    canvas.Pen().SetColor(kRed);
    canvas.MoveTo(0, 3);
    canvas.LineTo(3, 3);
    EXPECT_EQ(kRed, target.Pixel(1, 3));
    RECT clip = canvas.ClipRect();
    EXPECT_EQ(4, clip.right);
    EXPECT_GT(canvas.TextHeight("ｱ"), 0);
}

TEST(Canvas, CopyRectBetweenCanvases)
{
    TBitmap source;
    source.SetSize(2, 2);
    source.Canvas().Brush().SetColor(kRed);
    source.Canvas().FillRect(RECT{0, 0, 2, 2});
    TDrawTarget target(4, 4, kYellow);
    target.Canvas().CopyRect(RECT{2, 2, 4, 4}, source.Canvas(), RECT{0, 0, 2, 2});
    EXPECT_EQ(kRed, target.Pixel(3, 3));
    EXPECT_EQ(kYellow, target.Pixel(1, 1));
}

TEST(Canvas, LockIsReentrant)
{
    TCanvas canvas;
    canvas.Lock();
    {
        TCanvasLock inner(canvas);
        EXPECT_EQ(2, canvas.LockCount());
    }
    EXPECT_TRUE(canvas.Locked());
    canvas.Unlock();
    EXPECT_FALSE(canvas.Locked());
    canvas.Unlock();
    EXPECT_EQ(0, canvas.LockCount());
}

TEST(Canvas, WithoutADCDrawingFails)
{
    TCanvas canvas;
    EXPECT_THROW(canvas.FillRect(RECT{0, 0, 1, 1}), EInvalidOperation);
    EXPECT_FALSE(canvas.HandleAllocated());
}

TEST(Canvas, DerivedCanvasMakesItsDCOnDemand)
{
    TOwnDCCanvas canvas;
    EXPECT_FALSE(canvas.HandleAllocated());
    canvas.Brush().SetColor(kRed);
    canvas.FillRect(RECT{0, 0, 4, 4});
    canvas.SetPixel(0, 0, kBlue);
    EXPECT_EQ(1, canvas.created);
    EXPECT_EQ(kRed, canvas.Pixel(3, 3));
    canvas.FreeHandle();
    EXPECT_EQ(kRed, canvas.Pixel(2, 2));   // a fresh DC over the same bitmap
    EXPECT_EQ(2, canvas.created);
}

TEST(Canvas, ChangeEventsSurroundDrawing)
{
    TDrawTarget target(2, 2, kYellow);
    std::string order;
    target.Canvas().OnChanging = [&](TObject*) { order += "<"; };
    target.Canvas().OnChange = [&](TObject*) { order += ">"; };
    target.Canvas().FillRect(RECT{0, 0, 1, 1});
    target.Canvas().Pixel(0, 0);   // reading is no change
    EXPECT_EQ("<>", order);
}

TEST(Font, SizeAndHeightFollowPixelsPerInch)
{
    TFont font;
    EXPECT_EQ("ＭＳ Ｐゴシック", font.Name());
    EXPECT_EQ(-12, font.Height());
    font.SetPixelsPerInch(96);
    font.SetSize(9);
    EXPECT_EQ(-12, font.Height());
    font.SetPixelsPerInch(120);
    EXPECT_EQ(-12, font.Height());   // the resolution alone changes no height
    font.SetSize(9);
    EXPECT_EQ(-15, font.Height());
    int changes = 0;
    font.OnChange = [&](TObject*) { ++changes; };
    font.SetHeight(-15);
    font.SetName("ＭＳ Ｐゴシック");
    EXPECT_EQ(0, changes);
    font.SetStyle(TFontStyles{true, false, false, false});
    EXPECT_EQ(1, changes);
    EXPECT_NE(nullptr, font.Handle());
}

TEST(GdiHandle, OwnersReleaseAndGuardsRestore)
{
    TOwnedBrush first(CreateSolidBrush(kRed));
    HBRUSH raw = first.Get();
    TOwnedBrush second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(raw, second.Get());
    second.Reset();
    EXPECT_EQ(0, GetObjectType(raw));   // deleted

    TMemoryDC dc;
    HGDIOBJ original = GetCurrentObject(dc, OBJ_BRUSH);
    TOwnedBrush blue(CreateSolidBrush(kBlue));
    {
        TSelectObject select(dc, blue.Get());
        EXPECT_EQ(blue.Get(), GetCurrentObject(dc, OBJ_BRUSH));
    }
    EXPECT_EQ(original, GetCurrentObject(dc, OBJ_BRUSH));
}
