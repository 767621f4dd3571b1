// Pictures: ownership and copies of graphics, change reports, the format registry, stored data.
#include "framework/graphics/Picture.h"

#include "support/BmpBuilder.h"
#include "support/StreamBytes.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Icon.h"
#include "framework/graphics/Metafile.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ResText.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>

namespace {

const COLORREF kRed = RGB(255, 0, 0);

class TTestBitmap : public TBitmap {
public:
    ZA2_GRAPHIC_CLASS(TTestBitmap)
};

std::string TempPath(const std::string& name)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    TFileStream file(path, TFileStream::Mode::Create);
    file.WriteBuffer(bytes.data(), static_cast<long>(bytes.size()));
}

std::string RedBmp()
{
    TestBmp bmp = TestBmp::HeaderOnly(1, 1, 24);
    bmp.pixels = {0, 0, 255, 0};
    return bmp.File();
}

}  // namespace

TEST(Picture, OwnsACopyOfWhatItIsGiven)
{
    TPicture picture;
    EXPECT_EQ(nullptr, picture.Graphic());
    EXPECT_EQ(0, picture.Width());
    TTestBitmap bitmap;
    bitmap.SetSize(3, 2);
    picture.SetGraphic(&bitmap);
    ASSERT_NE(nullptr, picture.Graphic());
    EXPECT_NE(&bitmap, picture.Graphic());
    EXPECT_STREQ("TTestBitmap", picture.Graphic()->ClassName());   // same class, made anew
    EXPECT_EQ(3, picture.Width());

    TPicture other;
    other.Assign(&picture);
    EXPECT_STREQ("TTestBitmap", other.Graphic()->ClassName());
    EXPECT_NE(picture.Graphic(), other.Graphic());
    other.Assign(nullptr);
    EXPECT_EQ(nullptr, other.Graphic());

    TBitmap target;   // a picture gives its graphic to a graphic
    target.Assign(&picture);
    EXPECT_EQ(2, target.Height());
}

TEST(Picture, AskingForABitmapReplacesOtherGraphics)
{
    TPicture picture;
    picture.Icon();
    EXPECT_STREQ("TIcon", picture.Graphic()->ClassName());
    TBitmap& bitmap = picture.Bitmap();
    EXPECT_EQ(&bitmap, picture.Graphic());
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(&bitmap, &picture.Bitmap());   // a bitmap stays
}

TEST(Picture, ReportsEveryChange)
{
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject* sender) {
        EXPECT_EQ(&picture, sender);
        ++changes;
    };
    TBitmap& bitmap = picture.Bitmap();
    EXPECT_EQ(1, changes);
    bitmap.SetSize(2, 2);
    EXPECT_EQ(2, changes);
    bitmap.Canvas().SetPixel(0, 0, kRed);
    EXPECT_EQ(3, changes);
    picture.SetGraphic(nullptr);
    EXPECT_EQ(4, changes);
}

TEST(Picture, UnassignableCombinationsFailWithBothNames)
{
    TBitmap bitmap;
    TIcon icon;
    try {
        bitmap.Assign(&icon);
        FAIL() << "no error";
    } catch (const EAssignError& e) {
        EXPECT_EQ(FormatResText(SCannotAssign, {"TIcon", "TBitmap"}), e.Message());
    }
    TPicture picture;
    TFont font;
    EXPECT_THROW(picture.Assign(&font), EAssignError);
}

TEST(PictureFormats, RegistryLookupReplacementAndRemoval)
{
    EXPECT_EQ(GraphicFactory<TBitmap>(), TPicture::FileFormatFactory("bmp"));
    EXPECT_EQ(GraphicFactory<TIcon>(), TPicture::FileFormatFactory(".ICO"));
    EXPECT_EQ(GraphicFactory<TMetafile>(), TPicture::FileFormatFactory("Emf"));
    EXPECT_EQ(nullptr, TPicture::FileFormatFactory("xyz"));

    std::string path = TempPath("za2_picture_test.Bmp");
    WriteFile(path, RedBmp());
    TPicture picture;
    picture.LoadFromFile(path);
    EXPECT_STREQ("TBitmap", picture.Graphic()->ClassName());
    EXPECT_EQ(kRed, picture.Bitmap().Canvas().Pixel(0, 0));

    TPicture::RegisterFileFormat("bmp", "Test bitmaps", GraphicFactory<TTestBitmap>());
    picture.LoadFromFile(path);
    EXPECT_STREQ("TTestBitmap", picture.Graphic()->ClassName());
    int bmpEntries = 0;
    for (const TFileFormat& format : TPicture::FileFormats())
        bmpEntries += format.extension == "BMP";
    EXPECT_EQ(1, bmpEntries);

    TPicture::UnregisterGraphicClass(GraphicFactory<TTestBitmap>());
    EXPECT_EQ(nullptr, TPicture::FileFormatFactory("BMP"));
    try {
        picture.LoadFromFile(path);
        FAIL() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(FormatResText(SUnknownFileExtension, {"Bmp"}), e.Message());
    }
    EXPECT_STREQ("TTestBitmap", picture.Graphic()->ClassName());   // the old graphic stays
    TPicture::RegisterFileFormat("BMP", "Bitmaps", GraphicFactory<TBitmap>());
    DeleteFileA(path.c_str());
}

TEST(PictureFormats, FailedLoadKeepsThePicture)
{
    std::string path = TempPath("za2_broken.bmp");
    WriteFile(path, "not a bitmap at all");
    TPicture picture;
    picture.Bitmap().SetSize(5, 5);
    EXPECT_THROW(picture.LoadFromFile(path), EInvalidGraphic);
    EXPECT_EQ(5, picture.Width());
    DeleteFileA(path.c_str());
}

TEST(PictureData, StoredFormCarriesTheClassName)
{
    TPicture source;
    source.Bitmap().SetSize(4, 3);
    TMemoryStream stored;
    source.WriteData(stored);
    EXPECT_EQ(7, static_cast<const char*>(stored.Memory())[0]);
    stored.SetPosition(0);
    TPicture target;
    target.ReadData(stored);
    EXPECT_STREQ("TBitmap", target.Graphic()->ClassName());
    EXPECT_EQ(4, target.Width());

    TPicture empty;
    TMemoryStream nothing;
    empty.WriteData(nothing);
    nothing.SetPosition(0);
    target.ReadData(nothing);
    EXPECT_EQ(nullptr, target.Graphic());
}

TEST(PictureClipboard, BitmapThroughClipboardHandles)
{
    TMemoryStream stream;
    FillStream(stream, RedBmp());
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    UINT format = 0;
    HANDLE data = nullptr;
    HPALETTE palette = nullptr;
    bitmap.SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(UINT(CF_BITMAP), format);
    ASSERT_NE(nullptr, data);
    EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_BITMAP));
    TPicture picture;
    picture.LoadFromClipboardFormat(format, data, palette);
    DeleteObject(data);   // the picture took a copy
    EXPECT_EQ(kRed, picture.Bitmap().Canvas().Pixel(0, 0));
    EXPECT_THROW(picture.LoadFromClipboardFormat(CF_TEXT, data, nullptr), EInvalidGraphic);
}
