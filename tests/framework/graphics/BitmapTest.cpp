// Bitmaps in use: shared images, palettes, formats, transparency, scan lines.
#include "framework/graphics/Bitmap.h"

#include "support/BmpBuilder.h"
#include "support/DrawTarget.h"
#include "support/StreamBytes.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Palette.h"
#include "framework/core/Exception.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>

namespace {

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
               kWhite = RGB(255, 255, 255), kYellow = RGB(255, 255, 0);

// 2 x 2, 8 bits: top row blue, white; bottom row red, green.
void LoadQuadrants(TBitmap& bitmap)
{
    TestBmp bmp = TestBmp::HeaderOnly(2, 2, 8);
    bmp.colors = {kQuadRed, kQuadGreen, kQuadBlue, kQuadWhite};
    bmp.info.biClrUsed = 4;
    bmp.pixels = {0, 1, 0, 0, 2, 3, 0, 0};
    TMemoryStream stream;
    FillStream(stream, bmp.File());
    bitmap.LoadFromStream(stream);
}

TOwnedPalette MakePalette(std::initializer_list<COLORREF> colors)
{
    std::vector<RGBQUAD> table;
    for (COLORREF c : colors)
        table.push_back(RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0});
    return PaletteFromColorTable(table.data(), static_cast<int>(table.size()));
}

COLORREF DrawnPixel(TBitmap& bitmap, int x, int y)
{
    TDrawTarget target(bitmap.Width(), bitmap.Height(), kYellow);
    target.Canvas().Draw(0, 0, &bitmap);
    return target.Pixel(x, y);
}

}  // namespace

TEST(BitmapSharing, AssignedBitmapsShareUntilEitherChanges)
{
    TBitmap a;
    LoadQuadrants(a);
    TBitmap b;
    b.Assign(&a);
    EXPECT_EQ(a.Handle(), b.Handle());

    b.Canvas().SetPixel(0, 0, kGreen);
    EXPECT_NE(a.Handle(), b.Handle());
    EXPECT_EQ(kGreen, b.Canvas().Pixel(0, 0));
    EXPECT_EQ(kBlue, a.Canvas().Pixel(0, 0));

    // The other way round, while the source's canvas holds the shared handle in its DC.
    TBitmap c;
    c.Assign(&a);
    EXPECT_EQ(kBlue, DrawnPixel(c, 0, 0));
    a.Canvas().SetPixel(1, 1, kBlue);
    EXPECT_EQ(kGreen, DrawnPixel(c, 1, 1));
    EXPECT_EQ(kBlue, DrawnPixel(a, 1, 1));
}

TEST(BitmapSharing, AssignTakesTransparencyAndNullEmpties)
{
    TBitmap a;
    LoadQuadrants(a);
    a.SetTransparentColor(kGreen);
    a.SetTransparent(true);
    TBitmap b;
    b.Assign(&a);
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(TTransparentMode::Fixed, b.TransparentMode());
    EXPECT_EQ(kGreen, b.TransparentColor());
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
    EXPECT_FALSE(a.Empty());
}

TEST(BitmapPalette, NewPaletteKeepsPixelColours)
{
    TBitmap bitmap;
    LoadQuadrants(bitmap);
    bitmap.SetPalette(MakePalette({kWhite, kGreen, kBlue, kRed, kYellow}));
    PALETTEENTRY first{};
    GetPaletteEntries(bitmap.Palette(), 0, 1, &first);
    EXPECT_EQ(255, first.peGreen);
    EXPECT_EQ(kBlue, bitmap.Canvas().Pixel(0, 0));
    EXPECT_EQ(kWhite, bitmap.Canvas().Pixel(1, 0));
    EXPECT_EQ(kRed, bitmap.Canvas().Pixel(0, 1));
    EXPECT_EQ(kGreen, bitmap.Canvas().Pixel(1, 1));
    auto* bottom = static_cast<BYTE*>(bitmap.ScanLine(1));
    EXPECT_EQ(3, bottom[0]);   // red is entry 3 of the new table
}

TEST(BitmapPalette, PaletteOfAnEmptyBitmapColoursItsTable)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::Bit8);
    bitmap.SetPalette(MakePalette({kRed, kGreen}));
    bitmap.SetSize(2, 1);
    EXPECT_EQ(2, PaletteEntryCount(bitmap.Palette()));
    bitmap.Canvas().SetPixel(0, 0, kGreen);
    EXPECT_EQ(1, static_cast<BYTE*>(bitmap.ScanLine(0))[0]);
}

TEST(BitmapFormat, ResizeAndFormatChangesKeepPixels)
{
    TBitmap bitmap;
    LoadQuadrants(bitmap);
    bitmap.SetSize(3, 3);
    EXPECT_EQ(kBlue, bitmap.Canvas().Pixel(0, 0));
    EXPECT_EQ(kGreen, bitmap.Canvas().Pixel(1, 1));
    EXPECT_EQ(kWhite, bitmap.Canvas().Pixel(2, 2));   // new area

    bitmap.SetPixelFormat(TPixelFormat::Bit24);
    EXPECT_EQ(TPixelFormat::Bit24, bitmap.PixelFormat());
    EXPECT_EQ(kGreen, bitmap.Canvas().Pixel(1, 1));
    EXPECT_EQ(255, static_cast<BYTE*>(bitmap.ScanLine(0))[0]);   // the blue byte of blue

    bitmap.SetHandleType(TBitmapHandleType::DDB);
    EXPECT_EQ(TPixelFormat::Device, bitmap.PixelFormat());
    EXPECT_THROW(bitmap.ScanLine(0), EInvalidOperation);
    EXPECT_EQ(kRed, DrawnPixel(bitmap, 0, 1));

    bitmap.SetMonochrome(true);
    EXPECT_TRUE(bitmap.Monochrome());
    EXPECT_THROW(bitmap.SetPixelFormat(TPixelFormat::Custom), EInvalidGraphic);
}

TEST(BitmapScanLine, RowZeroIsTheTopAndRowsAreChecked)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::Bit24);
    bitmap.SetSize(1, 2);
    auto* top = static_cast<BYTE*>(bitmap.ScanLine(0));
    top[0] = 255;   // blue
    top[1] = 0;
    top[2] = 0;
    EXPECT_EQ(kBlue, bitmap.Canvas().Pixel(0, 0));
    EXPECT_EQ(kWhite, bitmap.Canvas().Pixel(0, 1));
    EXPECT_EQ(4, bitmap.BytesPerScanLine());
    EXPECT_THROW(bitmap.ScanLine(2), EInvalidOperation);
    EXPECT_THROW(bitmap.ScanLine(-1), EInvalidOperation);
}

TEST(BitmapTransparency, TransparentColourLeavesTheBackground)
{
    TBitmap bitmap;
    LoadQuadrants(bitmap);
    bitmap.SetTransparent(true);
    EXPECT_EQ(kRed, bitmap.TransparentColor());   // auto: the bottom-left pixel
    EXPECT_EQ(kYellow, DrawnPixel(bitmap, 0, 1));
    EXPECT_EQ(kGreen, DrawnPixel(bitmap, 1, 1));
    EXPECT_EQ(kBlue, DrawnPixel(bitmap, 0, 0));
    EXPECT_EQ(kWhite, DrawnPixel(bitmap, 1, 0));

    bitmap.SetTransparentColor(kWhite);
    EXPECT_EQ(kRed, DrawnPixel(bitmap, 0, 1));
    EXPECT_EQ(kYellow, DrawnPixel(bitmap, 1, 0));

    // Stretched: every target pixel of a transparent source pixel shows the background.
    TDrawTarget target(4, 4, kYellow);
    target.Canvas().StretchDraw(RECT{0, 0, 4, 4}, &bitmap);
    EXPECT_EQ(kYellow, target.Pixel(2, 0));
    EXPECT_EQ(kYellow, target.Pixel(3, 1));
    EXPECT_EQ(kBlue, target.Pixel(1, 1));
    EXPECT_EQ(kGreen, target.Pixel(3, 3));
}

TEST(BitmapTransparency, MaskIsWhiteWhereTheColourIs)
{
    TBitmap bitmap;
    LoadQuadrants(bitmap);
    bitmap.SetTransparentColor(kGreen);
    HBITMAP mask = bitmap.MaskHandle();
    ASSERT_NE(nullptr, mask);
    EXPECT_EQ(mask, bitmap.MaskHandle());   // kept while nothing changes
    TMemoryDC dc;
    {
        TSelectObject select(dc, mask);
        EXPECT_EQ(kWhite, GetPixel(dc, 1, 1));
        EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 0, 1));
    }
    bitmap.Canvas().SetPixel(0, 0, kGreen);
    HBITMAP rebuilt = bitmap.MaskHandle();
    TSelectObject select(dc, rebuilt);
    EXPECT_EQ(kWhite, GetPixel(dc, 0, 0));
}

TEST(BitmapDraw, HonoursCopyModeAndRestoresTheTarget)
{
    TBitmap bitmap;
    LoadQuadrants(bitmap);
    TDrawTarget target(2, 2, kYellow);
    SetStretchBltMode(target.DC(), HALFTONE);
    target.Canvas().SetCopyMode(NOTSRCCOPY);
    target.Canvas().Draw(0, 0, &bitmap);
    EXPECT_EQ(RGB(0, 255, 255), target.Pixel(0, 1));   // inverted red
    EXPECT_EQ(HALFTONE, GetStretchBltMode(target.DC()));
}

TEST(BitmapChange, EveryChangeIsReported)
{
    TBitmap bitmap;
    int changes = 0;
    bitmap.OnChange = [&](TObject* sender) {
        EXPECT_EQ(&bitmap, sender);
        ++changes;
    };
    bitmap.SetSize(2, 2);
    EXPECT_EQ(1, changes);
    bitmap.SetSize(2, 2);
    EXPECT_EQ(1, changes);
    bitmap.Canvas().FillRect(RECT{0, 0, 1, 1});
    EXPECT_EQ(2, changes);
    LoadQuadrants(bitmap);
    EXPECT_EQ(3, changes);
    EXPECT_TRUE(bitmap.Modified());
}

TEST(BitmapHandle, ReleaseHandsOverAndSetHandleTakesOver)
{
    TBitmap bitmap;
    LoadQuadrants(bitmap);
    HBITMAP handle = bitmap.ReleaseHandle();
    ASSERT_NE(nullptr, handle);
    EXPECT_TRUE(bitmap.Empty());
    TBitmap other;
    other.SetHandle(handle);   // other owns it now
    EXPECT_EQ(TPixelFormat::Bit8, other.PixelFormat());
    EXPECT_EQ(kRed, other.Canvas().Pixel(0, 1));
    PALETTEENTRY first{};
    ASSERT_EQ(1u, GetPaletteEntries(other.Palette(), 0, 1, &first));   // from the colour table
    EXPECT_EQ(255, first.peRed);
}

TEST(BitmapPalette, DeviceBitmapDrawsThroughItsPalette)
{
    // On a palette screen a device bitmap holds colours of the realised palette, as near to
    // the image's as the device can show; on other screens they arrive exactly.
    const COLORREF odd = RGB(10, 200, 30);
    TestBmp bmp = TestBmp::HeaderOnly(1, 1, 8);
    bmp.colors = {RGBQUAD{30, 200, 10, 0}, kQuadWhite};
    bmp.info.biClrUsed = 2;
    bmp.pixels = {0, 0, 0, 0};
    TMemoryStream stream;
    FillStream(stream, bmp.File());
    TBitmap source;
    source.LoadFromStream(stream);

    TBitmap device;
    device.SetPalette(CopyPalette(source.Palette()));
    device.SetSize(1, 1);
    EXPECT_EQ(TBitmapHandleType::DDB, device.HandleType());
    device.Canvas().Draw(0, 0, &source);
    HDC dc = device.Canvas().Handle();
    COLORREF expected = IsPaletteDC(dc) ? GetNearestColor(dc, odd) : odd;
    EXPECT_EQ(expected, device.Canvas().Pixel(0, 0));
    EXPECT_EQ(device.Palette(), GetCurrentObject(dc, OBJ_PAL));   // selected in its canvas
}

TEST(BitmapDraw, MonochromeTakesTheTargetsColours)
{
    TBitmap mono;
    mono.SetMonochrome(true);
    mono.SetSize(2, 1);
    mono.Canvas().Brush().SetColor(RGB(0, 0, 0));
    mono.Canvas().FillRect(RECT{0, 0, 1, 1});   // left black (0), right white (1)
    TDrawTarget target(2, 1, kYellow);
    target.Canvas().Brush().SetColor(kBlue);
    target.Canvas().Font().SetColor(kRed);
    target.Canvas().Draw(0, 0, &mono);
    EXPECT_EQ(kRed, target.Pixel(0, 0));
    EXPECT_EQ(kBlue, target.Pixel(1, 0));
}
