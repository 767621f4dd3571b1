// The matrix image pack: the grid arithmetic, its refusals and change reports, and the logo
// loaded from a layout at the end of loading.
#include "imagepack/UMatrixImagePack.h"

#include "bitmap/USafetyBitmap.h"
#include "dib/UColorUtils.h"
#include "framework/Bitmap.h"
#include "framework/Exception.h"
#include "framework/Form.h"
#include "support/FormTesting.h"

#include <gtest/gtest.h>

namespace {

const char kLogoLayout[] =
    "form frmPack\n"
    "    ClientWidth = 10\n"
    "TMatrixImagePack MatrixImagePack1\n"
    "    ImageLoader.ResType = \"RT_BITMAP\"\n"
    "    ImageLoader.ResName = \"LOGO\"\n"
    "    ImageLoader.ResFile = \"Za2Image.res\"\n";

bool Equal(const RECT& r, int left, int top, int right, int bottom)
{
    return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
}

// A pack whose source is a plain bitmap of the given size.
void GiveSource(TMatrixImagePack& pack, int width, int height)
{
    TBitmap bitmap;
    bitmap.SetWidth(width);
    bitmap.SetHeight(height);
    pack.Image().SetGraphic(&bitmap);
}

class MatrixPackTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        RegisterMatrixImagePackKind();
    }
};

} // namespace

TEST_F(MatrixPackTest, LayoutLoadsTheLogoAsOneCell)
{
    TSafetyBitmapFormats formats;
    TForm form(nullptr);
    form.ReadLayout(kLogoLayout, "PACKTEST");
    auto* pack = dynamic_cast<TMatrixImagePack*>(form.FindComponent("MatrixImagePack1"));
    ASSERT_NE(nullptr, pack);
    EXPECT_TRUE(pack->ImageLoader().Ready());
    EXPECT_EQ(1, pack->Count());
    EXPECT_TRUE(Equal(pack->GetImageRect(0), 0, 0, 400, 248));
    TPicture cell;
    pack->GetImage(cell, 0);
    ASSERT_NE(nullptr, dynamic_cast<TSafetyBitmap*>(cell.Graphic()));
    EXPECT_EQ(400, cell.Graphic()->Width());
    EXPECT_EQ(248, cell.Graphic()->Height());
}

TEST_F(MatrixPackTest, MissingResourceFailsTheLoading)
{
    TForm form(nullptr);
    std::string layout = kLogoLayout;
    layout.replace(layout.find("\"LOGO\""), 6, "\"NOLOGO\"");
    try {
        form.ReadLayout(layout, "PACKTEST");
        FAIL() << "a missing logo must fail the form";
    } catch (const EResNotFound& e) {
        EXPECT_EQ("NOLOGO ﾘｿｰｽが見つかりません", e.Message());
    }
}

TEST_F(MatrixPackTest, CellsTileThePictureWithSharedEdges)
{
    TMatrixImagePack pack(nullptr);
    GiveSource(pack, 100, 40);
    pack.SetCountCol(3);
    EXPECT_TRUE(Equal(pack.GetImageRect(0), 0, 0, 33, 40));
    EXPECT_TRUE(Equal(pack.GetImageRect(1), 33, 0, 67, 40));
    EXPECT_TRUE(Equal(pack.GetImageRect(2), 67, 0, 100, 40));

    pack.SetCountCol(4);
    pack.SetCountRow(2);
    EXPECT_TRUE(Equal(pack.GetImageRect(5), 25, 20, 50, 40)); // column 1 of row 1
    TPicture cell;
    pack.GetImage(cell, 5);
    ASSERT_NE(nullptr, cell.Graphic());
    EXPECT_EQ(25, cell.Graphic()->Width());
    EXPECT_EQ(20, cell.Graphic()->Height());
    if (IsPaletteDevice())
        EXPECT_EQ(TPixelFormat::Bit8, cell.Bitmap().PixelFormat());
}

TEST_F(MatrixPackTest, InvalidNumbersGiveNothing)
{
    TMatrixImagePack pack(nullptr);
    EXPECT_TRUE(pack.IsInvalidIndex(0)); // no picture yet
    GiveSource(pack, 40, 40);
    pack.SetCountCol(2);
    for (int index : {-1, 2}) {
        EXPECT_TRUE(pack.IsInvalidIndex(index));
        EXPECT_TRUE(Equal(pack.GetImageRect(index), 0, 0, 0, 0));
        TPicture cell;
        pack.GetImage(cell, index);
        EXPECT_TRUE(!cell.Graphic() || cell.Graphic()->Empty());
    }
    pack.SetCountCol(0);
    EXPECT_EQ(0, pack.Count());
    EXPECT_TRUE(pack.IsInvalidIndex(0));
    EXPECT_THROW(pack.SetCount(3), EImagePack);
    EXPECT_THROW(pack.SetImageRect(0, RECT{0, 0, 1, 1}), EImagePack);
}

TEST_F(MatrixPackTest, OneChangePerRealChange)
{
    TMatrixImagePack pack(nullptr);
    int changes = 0;
    pack.OnChange = [&](TObject*) { ++changes; };
    pack.SetCountRow(1);
    EXPECT_EQ(0, changes);
    pack.SetCountRow(2);
    EXPECT_EQ(1, changes);
    pack.SetCountCol(2);
    EXPECT_EQ(2, changes);
    GiveSource(pack, 4, 4);
    EXPECT_GE(changes, 3); // the source picture's change reaches the pack
}
