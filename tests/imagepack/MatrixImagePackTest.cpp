// The matrix image pack: cell geometry, cells as pictures and drawings, invalid numbers, change
// reports, and cells of palette bitmaps on palette screens.
#include "support/BmpBuilder.h"
#include "support/DrawTarget.h"
#include "support/StreamBytes.h"
#include "imagepack/UMatrixImagePack.h"
#include "bitmap/USafetyBitmap.h"
#include "dib/UScreenColors.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Icon.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kLogoWidth = 400;
constexpr int kLogoHeight = 248;
constexpr COLORREF kBackground = RGB(255, 255, 255);
// Colours every screen shows exactly, also through the 8-bit display's static palette.
const COLORREF kCellColors[] = {RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(0, 0, 255),
                                RGB(0, 0, 0),     RGB(255, 255, 0), RGB(0, 255, 255),
                                RGB(255, 0, 255), RGB(128, 128, 128)};

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

#define EXPECT_RECT(expected, actual) EXPECT_EQ(Describe(expected), Describe(actual))

// A 24-bit source of width x height whose cols x rows cells are each filled with its own
// colour (kCellColors in cell order).
void FillGrid(TPicture& picture, int width, int height, int cols, int rows)
{
    TBitmap source;
    source.SetPixelFormat(TPixelFormat::Bit24);
    source.SetSize(width, height);
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < cols; ++col) {
            RECT cell{MulDiv(col, width, cols), MulDiv(row, height, rows),
                      MulDiv(col + 1, width, cols), MulDiv(row + 1, height, rows)};
            source.Canvas().Brush().SetColor(kCellColors[row * cols + col]);
            source.Canvas().FillRect(cell);
        }
    picture.SetGraphic(&source);
}

class MatrixPackTest : public testing::Test {
protected:
    void LoadLogo()
    {
        pack.ImageLoader().SetResType("RT_BITMAP");
        pack.ImageLoader().SetResName("LOGO");
        pack.ImageLoader().Load();
    }
    void Grid(int width, int height, int cols, int rows)
    {
        FillGrid(pack.Image(), width, height, cols, rows);
        pack.SetCountCol(cols);
        pack.SetCountRow(rows);
    }
    COLORREF CellPixel(TPicture& picture, int x, int y)
    {
        return picture.Bitmap().Canvas().Pixel(x, y);
    }

    TMatrixImagePack pack{nullptr};
};

} // namespace

TEST_F(MatrixPackTest, OneByOneGridHandsOutTheWholeLogoInItsOwnClass)
{
    EXPECT_EQ(1, pack.CountCol());
    EXPECT_EQ(1, pack.CountRow());
    EXPECT_TRUE(pack.IsInvalidIndex(0));   // a pack made in code loads only when asked
    LoadLogo();

    EXPECT_EQ(1, pack.Count());
    EXPECT_FALSE(pack.IsInvalidIndex(0));
    EXPECT_RECT((RECT{0, 0, kLogoWidth, kLogoHeight}), pack.GetImageRect(0));

    TPicture cell;
    pack.GetImage(cell, 0);
    auto* bitmap = dynamic_cast<TSafetyBitmap*>(cell.Graphic());
    ASSERT_NE(nullptr, bitmap);
    EXPECT_NE(pack.Image().Graphic(), cell.Graphic());   // a copy, not the source itself
    EXPECT_EQ(kLogoWidth, bitmap->Width());
    EXPECT_EQ(kLogoHeight, bitmap->Height());
    EXPECT_TRUE(bitmap->Equals(*pack.Image().Graphic()));
}

TEST_F(MatrixPackTest, CellEdgesAreRoundedAndSharedByNeighbours)
{
    Grid(100, 10, 3, 1);
    ASSERT_EQ(3, pack.Count());
    EXPECT_RECT((RECT{0, 0, 33, 10}), pack.GetImageRect(0));
    EXPECT_RECT((RECT{33, 0, 67, 10}), pack.GetImageRect(1));
    EXPECT_RECT((RECT{67, 0, 100, 10}), pack.GetImageRect(2));
    EXPECT_EQ(34, pack.GetImageWidth(1));
    EXPECT_EQ(33, pack.GetImageLeft(1));
}

TEST_F(MatrixPackTest, CellsAreNumberedRowByRow)
{
    Grid(80, 20, 4, 2);
    ASSERT_EQ(8, pack.Count());
    EXPECT_RECT((RECT{20, 10, 40, 20}), pack.GetImageRect(5));   // column 1 of row 1
    EXPECT_RECT((RECT{60, 0, 80, 10}), pack.GetImageRect(3));

    TPicture cell;
    pack.GetImage(cell, 5);
    ASSERT_NE(nullptr, dynamic_cast<TBitmap*>(cell.Graphic()));
    EXPECT_EQ(20, cell.Width());
    EXPECT_EQ(10, cell.Height());
    // Exactly the cell: its colour in both corners, nothing of the neighbours.
    EXPECT_EQ(kCellColors[5], CellPixel(cell, 0, 0));
    EXPECT_EQ(kCellColors[5], CellPixel(cell, 19, 9));
}

TEST_F(MatrixPackTest, InvalidNumbersGiveNothingAndNeverRaise)
{
    Grid(80, 20, 4, 2);
    TPicture cell;
    for (int index : {-1, 8, 1000}) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(pack.IsInvalidIndex(index));
        EXPECT_RECT((RECT{0, 0, 0, 0}), pack.GetImageRect(index));
        pack.GetImage(cell, 0);   // a filled target is emptied by an invalid number
        pack.GetImage(cell, index);
        EXPECT_EQ(nullptr, cell.Graphic());

        TDrawTarget target(20, 20, kBackground);
        pack.StretchDraw(target.Canvas(), RECT{0, 0, 20, 20}, index);
        pack.Draw(target.Canvas(), 0, 0, index);
        EXPECT_EQ(kBackground, target.Pixel(0, 0));
        EXPECT_EQ(kBackground, target.Pixel(10, 10));
    }
    EXPECT_FALSE(pack.IsInvalidIndex(7));
}

TEST_F(MatrixPackTest, WithoutAPictureEveryNumberIsInvalid)
{
    pack.SetCountCol(2);
    EXPECT_EQ(2, pack.Count());
    for (int index : {0, 1}) {
        EXPECT_TRUE(pack.IsInvalidIndex(index));
        EXPECT_RECT((RECT{0, 0, 0, 0}), pack.GetImageRect(index));
    }
}

TEST_F(MatrixPackTest, DegenerateGridsDivideByNothing)
{
    Grid(80, 20, 4, 2);
    pack.SetCountCol(0);
    EXPECT_EQ(0, pack.Count());
    for (int index : {-1, 0, 1}) {
        EXPECT_TRUE(pack.IsInvalidIndex(index));
        EXPECT_RECT((RECT{0, 0, 0, 0}), pack.GetImageRect(index));
    }
    TPicture cell;
    pack.GetImage(cell, 0);
    EXPECT_EQ(nullptr, cell.Graphic());

    // Negative counts: whatever the product, no cell exists.
    pack.SetCountCol(-1);
    pack.SetCountRow(-2);
    EXPECT_EQ(2, pack.Count());
    EXPECT_RECT((RECT{0, 0, 0, 0}), pack.GetImageRect(0));
    EXPECT_RECT((RECT{0, 0, 0, 0}), pack.GetImageRect(1));

    // A grid too large for 32 bits does not wrap into a small or negative count.
    pack.SetCountCol(0x10000);
    pack.SetCountRow(0x10000);
    EXPECT_GT(pack.Count(), 0);
    EXPECT_RECT((RECT{0, 0, 0, 0}), pack.GetImageRect(0));   // cells narrower than a pixel
}

TEST_F(MatrixPackTest, StretchDrawScalesTheCellStraightFromTheSource)
{
    Grid(80, 20, 4, 2);
    TDrawTarget target(30, 30, kBackground);
    pack.StretchDraw(target.Canvas(), RECT{5, 5, 25, 25}, 6);
    EXPECT_EQ(kCellColors[6], target.Pixel(5, 5));
    EXPECT_EQ(kCellColors[6], target.Pixel(24, 24));
    EXPECT_EQ(kBackground, target.Pixel(4, 4));
    EXPECT_EQ(kBackground, target.Pixel(25, 25));

    // Draw at a point: the cell at its own size.
    TDrawTarget placed(40, 20, kBackground);
    pack.Draw(placed.Canvas(), 10, 5, 1);
    EXPECT_EQ(kCellColors[1], placed.Pixel(10, 5));
    EXPECT_EQ(kCellColors[1], placed.Pixel(29, 14));
    EXPECT_EQ(kBackground, placed.Pixel(30, 14));
    EXPECT_EQ(kBackground, placed.Pixel(29, 15));
}

TEST_F(MatrixPackTest, StretchDrawOfANonBitmapSourceGoesThroughACellPicture)
{
    TPicture icon;   // any graphic that is no bitmap
    icon.Icon().SetHandle(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
    pack.SetImage(icon);
    ASSERT_EQ(nullptr, dynamic_cast<TBitmap*>(pack.Image().Graphic()));
    const RECT rect = pack.GetImageRect(0);
    ASSERT_GT(RectWidth(rect), 0);
    TDrawTarget target(RectWidth(rect), RectHeight(rect), RGB(1, 2, 3));
    pack.StretchDraw(target.Canvas(), rect, 0);
    bool drawn = false;
    for (int y = 0; y < RectHeight(rect) && !drawn; ++y)
        for (int x = 0; x < RectWidth(rect) && !drawn; ++x)
            drawn = target.Pixel(x, y) != RGB(1, 2, 3);
    EXPECT_TRUE(drawn);
}

TEST_F(MatrixPackTest, EveryRealChangeIsReportedOnceToListenersThenOnChange)
{
    std::vector<std::string> calls;
    pack.NotifyList().Add([&](TObject* sender) {
        EXPECT_EQ(&pack, sender);
        calls.push_back("listener");
    });
    pack.OnChange = [&](TObject* sender) {
        EXPECT_EQ(&pack, sender);
        calls.push_back("OnChange");
    };

    pack.SetCountRow(1);
    pack.SetCountCol(1);
    EXPECT_TRUE(calls.empty());

    pack.SetCountRow(2);
    EXPECT_EQ((std::vector<std::string>{"listener", "OnChange"}), calls);
    calls.clear();
    pack.SetCountCol(3);
    EXPECT_EQ(2u, calls.size());
    calls.clear();

    // A change of the source picture reaches the pack too.
    TPicture other;
    FillGrid(other, 10, 10, 1, 1);
    pack.SetImage(other);
    EXPECT_EQ((std::vector<std::string>{"listener", "OnChange"}), calls);
    EXPECT_EQ(10, pack.Image().Width());
    calls.clear();

    // Taking the names of another loader reloads only once the pack's loader is ready.
    TPictureEx scratch;
    TResourceImageLoader names(scratch);
    names.SetResType("RT_BITMAP");
    names.SetResName("LOGO");
    pack.SetImageLoader(names);
    EXPECT_EQ("LOGO", pack.ImageLoader().ResName());
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(10, pack.Image().Width());
}

TEST_F(MatrixPackTest, CountAndRectanglesCannotBeSet)
{
    Grid(80, 20, 4, 2);
    EXPECT_THROW(pack.SetCount(3), EImagePack);
    EXPECT_THROW(pack.SetImageRect(0, RECT{0, 0, 1, 1}), EImagePack);
    EXPECT_THROW(pack.SetImageWidth(0, 5), EImagePack);
    EXPECT_EQ(8, pack.Count());
    EXPECT_RECT((RECT{0, 0, 20, 10}), pack.GetImageRect(0));
}

TEST_F(MatrixPackTest, CellOfAPaletteBitmapKeepsTheSourcePalette)
{
    // 8 bits, colours no static palette has, two cells of 4 x 2.
    TestBmp bmp(8, 2, 8);
    for (int i = 0; i < 256; ++i) {
        bmp.colors[i].rgbRed = static_cast<BYTE>(i);
        bmp.colors[i].rgbGreen = static_cast<BYTE>(255 - i);
        bmp.colors[i].rgbBlue = 37;
    }
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            bmp.SetIndex(x, y, x < 4 ? 10 : 200);
    TMemoryStream stream;
    FillStream(stream, bmp.File());
    SafetyBitmapOf(pack.Image()).LoadFromStream(stream);
    pack.SetCountCol(2);

    TPicture cell;
    pack.GetImage(cell, 1);
    auto* bitmap = dynamic_cast<TBitmap*>(cell.Graphic());
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(4, bitmap->Width());
    EXPECT_EQ(2, bitmap->Height());
    if (!IsPaletteDevice()) {
        EXPECT_EQ(RGB(200, 55, 37), bitmap->Canvas().Pixel(0, 0));
        EXPECT_EQ(RGB(200, 55, 37), bitmap->Canvas().Pixel(3, 1));
        return;
    }
    EXPECT_EQ(TPixelFormat::Bit8, bitmap->PixelFormat());
    HPALETTE own = bitmap->Palette();
    HPALETTE source = pack.Image().Graphic()->Palette();
    ASSERT_NE(nullptr, own);
    ASSERT_NE(nullptr, source);
    EXPECT_NE(source, own);   // a copy, owned by the cell
    std::vector<PALETTEENTRY> expected(256), actual(256);
    const UINT count = GetPaletteEntries(source, 0, 256, expected.data());
    ASSERT_EQ(count, GetPaletteEntries(own, 0, 256, actual.data()));
    for (UINT i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].peRed, actual[i].peRed);
        EXPECT_EQ(expected[i].peGreen, actual[i].peGreen);
        EXPECT_EQ(expected[i].peBlue, actual[i].peBlue);
    }
}
