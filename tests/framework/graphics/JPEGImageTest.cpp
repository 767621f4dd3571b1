// JPEG graphics: images encoded here with the JPEG library decode to their pixels; damaged data
// fails with EInvalidGraphic and leaves the graphic as it was.
#include "framework/graphics/JPEGImage.h"

#include "support/DrawTarget.h"
#include "support/JpegEncoder.h"
#include "support/StreamBytes.h"
#include "framework/graphics/Bitmap.h"
#include "framework/core/Exception.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// JPEG is lossy; flat colour blocks come back this close at high quality without subsampling.
constexpr int kTolerance = 12;

// Four flat quadrants of 8 x 8 pixels, so no block mixes colours.
const COLORREF kQuadrants[4] = {RGB(200, 30, 30), RGB(30, 180, 40), RGB(40, 50, 210),
                                RGB(240, 240, 90)};
COLORREF QuadrantColor(int x, int y)
{
    return kQuadrants[(y / 8) * 2 + x / 8];
}

std::string QuadrantsJpeg()
{
    return EncodeJpeg(16, 16, JpegColours::Rgb, QuadrantColor);
}

void Load(TJPEGImage& image, const std::string& bytes)
{
    TMemoryStream stream;
    FillStream(stream, bytes);
    image.LoadFromStream(stream);
}

std::string Saved(TJPEGImage& image)
{
    TMemoryStream stream;
    image.SaveToStream(stream);
    return StreamBytes(stream);
}

::testing::AssertionResult Near(COLORREF expected, COLORREF actual)
{
    auto off = [](int a, int b) { return std::abs(a - b) > kTolerance; };
    if (off(GetRValue(expected), GetRValue(actual)) || off(GetGValue(expected), GetGValue(actual)) ||
        off(GetBValue(expected), GetBValue(actual)))
        return ::testing::AssertionFailure() << std::hex << "expected 0x" << expected << ", got 0x"
                                             << actual;
    return ::testing::AssertionSuccess();
}

COLORREF BgrAt(TBitmap& bitmap, int x, int y)
{
    auto* row = static_cast<const BYTE*>(bitmap.ScanLine(y));
    return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
}

}   // namespace

TEST(JPEGImage, DecodesToTheEncodedPixels)
{
    TJPEGImage image;
    EXPECT_TRUE(image.Empty());
    int changes = 0;
    image.OnChange = [&](TObject*) { ++changes; };
    Load(image, QuadrantsJpeg());
    EXPECT_EQ(1, changes);
    ASSERT_FALSE(image.Empty());
    EXPECT_EQ(16, image.Width());
    EXPECT_EQ(16, image.Height());

    TBitmap bitmap;
    bitmap.Assign(&image);
    EXPECT_EQ(TPixelFormat::Bit24, bitmap.PixelFormat());
    for (int y = 0; y < 16; y += 5)
        for (int x = 0; x < 16; x += 5)
            EXPECT_TRUE(Near(QuadrantColor(x, y), BgrAt(bitmap, x, y))) << x << "," << y;
}

TEST(JPEGImage, GreyImagesDecodeToGrey)
{
    TJPEGImage image;
    Load(image, EncodeJpeg(8, 4, JpegColours::Grey,
                           [](int x, int) { return x < 4 ? RGB(40, 40, 40) : RGB(220, 220, 220); }));
    TBitmap bitmap;
    bitmap.Assign(&image);
    EXPECT_TRUE(Near(RGB(40, 40, 40), BgrAt(bitmap, 1, 2)));
    EXPECT_TRUE(Near(RGB(220, 220, 220), BgrAt(bitmap, 6, 1)));
}

TEST(JPEGImage, DrawsScaledIntoTheRectangle)
{
    TJPEGImage image;
    Load(image, QuadrantsJpeg());
    TDrawTarget target(40, 40, RGB(0, 0, 0));
    target.Canvas().StretchDraw(RECT{4, 4, 36, 36}, &image);   // twice the size
    EXPECT_EQ(RGB(0, 0, 0), target.Pixel(2, 2));
    EXPECT_TRUE(Near(kQuadrants[0], target.Pixel(8, 8)));
    EXPECT_TRUE(Near(kQuadrants[1], target.Pixel(30, 8)));
    EXPECT_TRUE(Near(kQuadrants[2], target.Pixel(8, 30)));
    EXPECT_TRUE(Near(kQuadrants[3], target.Pixel(30, 30)));
    EXPECT_EQ(RGB(0, 0, 0), target.Pixel(37, 37));
}

TEST(JPEGImage, DamagedDataFailsAndKeepsTheImage)
{
    const std::string good = QuadrantsJpeg();
    const std::string damaged[] = {
        good.substr(0, good.size() / 2),   // cut off inside the scan
        good.substr(0, 2),                 // only the start marker
        "this is no picture at all",
        std::string(300, '\xFF'),
    };
    for (const std::string& bytes : damaged) {
        TJPEGImage image;
        Load(image, good);
        int changes = 0;
        image.OnChange = [&](TObject*) { ++changes; };
        EXPECT_THROW(Load(image, bytes), EInvalidGraphic) << bytes.size();
        EXPECT_EQ(0, changes);
        EXPECT_EQ(16, image.Width());
        EXPECT_EQ(good, Saved(image));
    }
}

TEST(JPEGImage, EmptyStreamEmptiesTheImage)
{
    TJPEGImage image;
    Load(image, QuadrantsJpeg());
    Load(image, "");
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(0, image.Width());
    EXPECT_EQ("", Saved(image));
}

TEST(JPEGImage, KeepsItsDataThroughSavingCopyingAndStoring)
{
    const std::string jpeg = QuadrantsJpeg();
    TJPEGImage image;
    Load(image, jpeg);
    EXPECT_EQ(jpeg, Saved(image));

    std::unique_ptr<TGraphic> copy = image.Clone();
    EXPECT_STREQ("TJPEGImage", copy->ClassName());
    EXPECT_EQ(16, copy->Width());
    EXPECT_TRUE(image.Equals(*copy));

    TMemoryStream stored;
    image.WriteData(stored);
    stored.WriteBuffer("tail", 4);   // whatever follows in a layout stays unread
    stored.SetPosition(0);
    TJPEGImage read;
    read.ReadData(stored);
    EXPECT_EQ(jpeg, Saved(read));
    EXPECT_EQ(static_cast<long>(sizeof(long) + jpeg.size()), stored.Position());

    TMemoryStream overlong;
    const long tooMany = 1000;
    overlong.WriteBuffer(&tooMany, sizeof(tooMany));
    overlong.WriteBuffer(jpeg.data(), 10);
    overlong.SetPosition(0);
    EXPECT_THROW(read.ReadData(overlong), EReadError);
}

TEST(JPEGImage, SizeCannotBeChanged)
{
    TJPEGImage image;
    Load(image, QuadrantsJpeg());
    EXPECT_NO_THROW(image.SetWidth(16));
    EXPECT_THROW(image.SetWidth(20), EInvalidOperation);
    EXPECT_THROW(image.SetHeight(1), EInvalidOperation);
    EXPECT_EQ(16, image.Height());
}
