// Reading and writing BMP streams: header variants, short and oversized fields, round trips.
#include "framework/graphics/Bitmap.h"

#include "support/BmpBuilder.h"
#include "support/StreamBytes.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Palette.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ResText.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>

namespace {

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
               kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

// 2 x 2, 8 bits: bottom row red, green; top row blue, white.
TestBmp EightBitBmp()
{
    TestBmp bmp = TestBmp::HeaderOnly(2, 2, 8);
    bmp.colors = {kQuadRed, kQuadGreen, kQuadBlue, kQuadWhite};
    bmp.colors.resize(256, kQuadBlack);
    bmp.pixels = {0, 1, 0, 0, 2, 3, 0, 0};
    return bmp;
}

void Load(TBitmap& bitmap, const std::string& bytes)
{
    TMemoryStream stream;
    FillStream(stream, bytes);
    bitmap.LoadFromStream(stream);
}

void ExpectQuadrants(TBitmap& bitmap)
{
    ASSERT_EQ(2, bitmap.Width());
    ASSERT_EQ(2, bitmap.Height());
    TCanvas& canvas = bitmap.Canvas();
    EXPECT_EQ(kBlue, canvas.Pixel(0, 0));
    EXPECT_EQ(kWhite, canvas.Pixel(1, 0));
    EXPECT_EQ(kRed, canvas.Pixel(0, 1));
    EXPECT_EQ(kGreen, canvas.Pixel(1, 1));
}

void ExpectInvalidImage(const std::string& bytes)
{
    TBitmap bitmap;
    try {
        Load(bitmap, bytes);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(LoadResText(SInvalidImage), e.Message());
    }
}

}  // namespace

TEST(BitmapLoad, EmptyStreamEmptiesTheBitmap)
{
    TBitmap bitmap;
    Load(bitmap, EightBitBmp().File());
    ASSERT_FALSE(bitmap.Empty());
    Load(bitmap, "");
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(0, bitmap.Width());
    EXPECT_EQ(nullptr, bitmap.Handle());
}

TEST(BitmapLoad, RejectsDataWithoutSignatureOrWithNonsenseHeaders)
{
    std::string good = EightBitBmp().File();
    std::string noSignature = good;
    noSignature[0] = 'X';
    ExpectInvalidImage(noSignature);
    ExpectInvalidImage(good.substr(0, 10));   // shorter than a file header
    ExpectInvalidImage(good.substr(0, 20));   // info header cut off

    TestBmp depth = EightBitBmp();
    depth.info.biBitCount = 7;
    ExpectInvalidImage(depth.File());

    TestBmp table = EightBitBmp();
    table.info.biClrUsed = 100000;   // a colour table far longer than the data
    ExpectInvalidImage(table.File());

    TestBmp huge = TestBmp::HeaderOnly(100000, 100000, 24);
    ExpectInvalidImage(huge.File());
}

TEST(BitmapLoad, EightBitsWithFullTable)
{
    TBitmap bitmap;
    Load(bitmap, EightBitBmp().File());
    EXPECT_EQ(TPixelFormat::Bit8, bitmap.PixelFormat());
    EXPECT_EQ(TBitmapHandleType::DIB, bitmap.HandleType());
    EXPECT_EQ(256, PaletteEntryCount(bitmap.Palette()));
    ExpectQuadrants(bitmap);
}

TEST(BitmapLoad, ShortAndLongColourTablesKeepPixelsAligned)
{
    TestBmp shortTable = EightBitBmp();
    shortTable.colors.resize(4);
    shortTable.info.biClrUsed = 4;
    TBitmap bitmap;
    Load(bitmap, shortTable.File());
    EXPECT_EQ(4, PaletteEntryCount(bitmap.Palette()));
    ExpectQuadrants(bitmap);

    // More entries than 8 bits can use: the extra ones are skipped, the pixels follow them.
    TestBmp longTable = EightBitBmp();
    longTable.colors.resize(300, kQuadBlack);
    longTable.info.biClrUsed = 300;
    Load(bitmap, longTable.File());
    ExpectQuadrants(bitmap);
}

TEST(BitmapLoad, ImageSizeFieldIsHonouredButNeverReadsPastTheData)
{
    TestBmp zero = EightBitBmp();   // biSizeImage 0: the computed size
    TBitmap bitmap;
    Load(bitmap, zero.File());
    ExpectQuadrants(bitmap);

    TestBmp oversized = EightBitBmp();
    oversized.info.biSizeImage = 0x7FFFFFF0;
    Load(bitmap, oversized.File());
    ExpectQuadrants(bitmap);

    // biSizeImage of one row: only the bottom row is read, the top row stays black.
    TestBmp oneRow = EightBitBmp();
    oneRow.info.biSizeImage = 4;
    Load(bitmap, oneRow.File());
    EXPECT_EQ(kRed, bitmap.Canvas().Pixel(0, 1));
    EXPECT_EQ(kRed, bitmap.Canvas().Pixel(0, 0));   // index 0 of the table

    // Pixel data cut short by the end of the stream.
    std::string cut = EightBitBmp().File();
    cut.resize(cut.size() - 4);
    Load(bitmap, cut);
    EXPECT_EQ(kRed, bitmap.Canvas().Pixel(0, 1));
    EXPECT_EQ(kGreen, bitmap.Canvas().Pixel(1, 1));
}

TEST(BitmapLoad, CoreHeaderWithThreeByteEntries)
{
    TestBmp bmp = TestBmp::HeaderOnly(2, 2, 4);
    bmp.coreHeader = true;
    bmp.colors = {kQuadRed, kQuadGreen, kQuadBlue, kQuadWhite};
    bmp.colors.resize(16, kQuadBlack);
    bmp.pixels = {0x01, 0, 0, 0, 0x23, 0, 0, 0};
    TBitmap bitmap;
    Load(bitmap, bmp.File());
    EXPECT_EQ(TPixelFormat::Bit4, bitmap.PixelFormat());
    ExpectQuadrants(bitmap);
}

TEST(BitmapLoad, TopDownAndBitfieldImages)
{
    TestBmp topDown = TestBmp::HeaderOnly(2, -2, 24);
    // First stored row is the top: blue, white; then red, green.
    topDown.pixels = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
    TBitmap bitmap;
    Load(bitmap, topDown.File());
    EXPECT_EQ(TPixelFormat::Bit24, bitmap.PixelFormat());
    ExpectQuadrants(bitmap);
    auto* top = static_cast<BYTE*>(bitmap.ScanLine(0));
    EXPECT_EQ(255, top[0]);   // blue of the top-left pixel

    TestBmp fields = TestBmp::HeaderOnly(1, 1, 16);
    fields.SetMasks(0xF800, 0x07E0, 0x001F);
    fields.pixels = {0x00, 0xF8, 0, 0};   // pure red in 5-6-5
    Load(bitmap, fields.File());
    EXPECT_EQ(TPixelFormat::Bit16, bitmap.PixelFormat());
    EXPECT_EQ(kRed, bitmap.Canvas().Pixel(0, 0));
}

TEST(BitmapLoad, RunLengthEncodedEightBits)
{
    TestBmp bmp = EightBitBmp();
    bmp.info.biWidth = 4;
    bmp.info.biCompression = BI_RLE8;
    // Bottom row: four pixels of index 1; top row: two of 2, two of 3; end of bitmap.
    bmp.pixels = {4, 1, 0, 0, 2, 2, 2, 3, 0, 1};
    bmp.info.biSizeImage = static_cast<DWORD>(bmp.pixels.size());
    TBitmap bitmap;
    Load(bitmap, bmp.File());
    EXPECT_EQ(TPixelFormat::Bit8, bitmap.PixelFormat());
    TCanvas& canvas = bitmap.Canvas();
    EXPECT_EQ(kGreen, canvas.Pixel(3, 1));
    EXPECT_EQ(kBlue, canvas.Pixel(1, 0));
    EXPECT_EQ(kWhite, canvas.Pixel(2, 0));
}

TEST(BitmapSave, RoundTripOfDibAndDeviceBitmaps)
{
    TBitmap loaded;
    Load(loaded, EightBitBmp().File());
    TMemoryStream saved;
    loaded.SaveToStream(saved);
    auto* file = static_cast<const BITMAPFILEHEADER*>(saved.Memory());
    EXPECT_EQ(0x4D42, file->bfType);
    EXPECT_EQ(14u + 40u + 256u * 4u, file->bfOffBits);
    EXPECT_EQ(static_cast<DWORD>(saved.Size()), file->bfSize);
    auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(file + 1);
    EXPECT_EQ(DWORD(BI_RGB), info->biCompression);
    EXPECT_EQ(8u, info->biSizeImage);

    saved.SetPosition(0);
    TBitmap reloaded;
    reloaded.LoadFromStream(saved);
    ExpectQuadrants(reloaded);
    EXPECT_TRUE(reloaded.Equals(loaded));

    TBitmap device;   // device-dependent: saved in the screen's depth
    device.SetSize(3, 2);
    device.Canvas().Brush().SetColor(kBlue);
    device.Canvas().FillRect(RECT{0, 0, 3, 2});
    device.Canvas().SetPixel(2, 1, kRed);
    TMemoryStream deviceFile;
    device.SaveToStream(deviceFile);
    deviceFile.SetPosition(0);
    reloaded.LoadFromStream(deviceFile);
    EXPECT_EQ(3, reloaded.Width());
    EXPECT_EQ(kBlue, reloaded.Canvas().Pixel(0, 0));
    EXPECT_EQ(kRed, reloaded.Canvas().Pixel(2, 1));

    TBitmap empty;
    TMemoryStream nothing;
    empty.SaveToStream(nothing);
    EXPECT_EQ(0, nothing.Size());
}

TEST(BitmapSave, StoredDataConsumesExactlyItsLength)
{
    TBitmap source;
    Load(source, EightBitBmp().File());
    TMemoryStream stored;
    source.WriteData(stored);
    long length = *static_cast<const long*>(stored.Memory());
    EXPECT_EQ(stored.Size() - 4, length);
    const char trailer[] = "NEXT";
    stored.WriteBuffer(trailer, 4);
    stored.SetPosition(0);
    TBitmap target;
    target.ReadData(stored);
    EXPECT_EQ(4 + length, stored.Position());
    ExpectQuadrants(target);
}
