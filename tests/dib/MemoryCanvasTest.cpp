// The memory-DC canvas: its reference device, its bitmap selection and the freeing of its DCs.
#include "support/DrawTarget.h"
#include "dib/UCanvas.h"
#include "framework/win32/GdiHandle.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

constexpr int kSize = 4;
constexpr COLORREF kInk = RGB(10, 120, 230);
constexpr int kOtherPixelsPerInch = 72;

// A memory canvas over a 24-bit section of its own.
class TSectionCanvas : public TMemoryCanvas {
public:
    TSectionCanvas() : section_(NewSection24(kSize, kSize)) {}
    ~TSectionCanvas() override { FreeHandle(); }   // before the section goes

    HBITMAP Section() const { return section_.Get(); }
    int bitmapRequests = 0;

protected:
    HBITMAP GetBitmapHandle() override
    {
        ++bitmapRequests;
        return section_.Get();
    }

private:
    TOwnedBitmap section_;
};

// Whether bitmap is free to be selected into another DC (a bitmap lives in one DC at a time).
bool Selectable(HBITMAP bitmap)
{
    TMemoryDC dc;
    HGDIOBJ previous = SelectObject(dc, bitmap);
    if (!previous)
        return false;
    SelectObject(dc, previous);
    return true;
}

} // namespace

TEST(MemoryCanvas, WithoutAReferenceDeviceTheScreenIsAskedAndItIsNoPrinter)
{
    TSectionCanvas canvas;
    HDC reference = canvas.ReferenceDC();
    ASSERT_NE(nullptr, reference);
    EXPECT_EQ(DT_RASDISPLAY, GetDeviceCaps(reference, TECHNOLOGY));
    EXPECT_EQ(reference, CanvasReferenceDC(canvas));
    EXPECT_FALSE(IsPrinterCanvas(canvas));
    EXPECT_FALSE(canvas.HandleAllocated()) << "asking for the reference made no memory DC";
}

TEST(MemoryCanvas, AGivenReferenceDeviceIsUsedAndChangingItFreesTheHandle)
{
    TSectionCanvas canvas;
    TMemoryDC reference;
    canvas.SetReferenceDC(reference);
    EXPECT_EQ(reference.Get(), canvas.ReferenceDC());
    canvas.Handle();
    ASSERT_TRUE(canvas.HandleAllocated());
    canvas.SetReferenceDC(reference);
    EXPECT_TRUE(canvas.HandleAllocated()) << "the same value must not free the handle";
    canvas.SetReferenceDC(nullptr);
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_NE(reference.Get(), canvas.ReferenceDC());
}

TEST(MemoryCanvas, TheBitmapIsSelectedOnFirstUseAndDeselectedByFreeHandle)
{
    TSectionCanvas canvas;
    HDC dc = canvas.Handle();
    EXPECT_EQ(OBJ_MEMDC, static_cast<int>(GetObjectType(dc)));
    EXPECT_EQ(canvas.Section(), GetCurrentObject(dc, OBJ_BITMAP));
    EXPECT_TRUE(canvas.BitmapSelected());
    canvas.SetPixel(1, 2, kInk);
    EXPECT_EQ(kInk, canvas.Pixel(1, 2));

    canvas.FreeHandle();
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_FALSE(canvas.BitmapSelected());
    EXPECT_EQ(0, static_cast<int>(GetObjectType(dc))) << "memory DC not deleted";
    EXPECT_TRUE(Selectable(canvas.Section()));

    // A fresh DC selects the bitmap again; the pixels are the bitmap's.
    EXPECT_EQ(kInk, canvas.Pixel(1, 2));
    EXPECT_EQ(2, canvas.bitmapRequests);
}

TEST(MemoryCanvas, FreeHandleIsHarmlessWhenThereIsNothingToFree)
{
    TSectionCanvas canvas;
    canvas.FreeHandle();
    canvas.FreeHandle();
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_EQ(0, canvas.bitmapRequests);
    canvas.Handle();
    canvas.FreeHandle();
    canvas.FreeHandle();
    EXPECT_FALSE(canvas.HandleAllocated());
}

TEST(MemoryCanvas, SelectBitmapSwapsTheSelectedBitmap)
{
    TSectionCanvas canvas;
    TSectionCanvas other;
    HDC dc = canvas.Handle();
    canvas.SelectBitmap(other.Section());
    EXPECT_EQ(other.Section(), GetCurrentObject(dc, OBJ_BITMAP));
    EXPECT_TRUE(Selectable(canvas.Section()));
    canvas.DeselectBitmap();
    EXPECT_FALSE(canvas.BitmapSelected());
    EXPECT_TRUE(Selectable(other.Section()));
}

TEST(MemoryCanvas, TheFontKeepsItsPointSizeInTheReferenceDevicesPixels)
{
    TSectionCanvas canvas;
    canvas.Font().SetPixelsPerInch(kOtherPixelsPerInch);
    canvas.Font().SetSize(9);
    const int referencePpi = GetDeviceCaps(canvas.ReferenceDC(), LOGPIXELSY);
    ASSERT_NE(kOtherPixelsPerInch, referencePpi);
    canvas.Handle();
    EXPECT_EQ(referencePpi, canvas.Font().PixelsPerInch());
    EXPECT_EQ(9, canvas.Font().Size());
    EXPECT_EQ(-MulDiv(9, referencePpi, 72), canvas.Font().Height());
}

TEST(MemoryCanvas, OtherCanvasesStandForTheirOwnDevice)
{
    TDrawTarget target(2, 2, RGB(0, 0, 0));
    EXPECT_EQ(target.DC(), CanvasReferenceDC(target.Canvas()));
    EXPECT_FALSE(IsPrinterCanvas(target.Canvas()));
}
