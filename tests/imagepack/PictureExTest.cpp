// Pictures loaded from resources: the module's LOGO, a resource file beside the program, the
// graphic class chosen by type, custom loaders, reloading on name changes, and assignment.
#include "support/BmpBuilder.h"
#include "support/JpegEncoder.h"
#include "support/ResFileBuilder.h"
#include "support/StreamBytes.h"
#include "imagepack/UPictureEX.h"
#include "bitmap/USafetyBitmap.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/core/Exception.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace resfile;

namespace {

constexpr int kLogoWidth = 400;
constexpr int kLogoHeight = 248;
const char kResFile[] = "Za2Image.res";

std::string BesideExecutable(const std::string& name)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

// A 3 x 2 mid-grey JPEG.
std::string SmallJpeg()
{
    return EncodeJpeg(3, 2, JpegColours::Grey, [](int, int) { return RGB(128, 128, 128); });
}

// A 2 x 1 DIB: red on the left, blue on the right.
std::string RedBlueDib()
{
    TestBmp bmp(2, 1, 24);
    bmp.SetColor(0, 0, RGB(255, 0, 0));
    bmp.SetColor(1, 0, RGB(0, 0, 255));
    return bmp.Packed();
}

COLORREF PixelOf(TPicture& picture, int x, int y)
{
    return static_cast<TBitmap*>(picture.Graphic())->Canvas().Pixel(x, y);
}

class PictureEx : public ::testing::Test {
protected:
    PictureEx() : loader_(picture_) { DeleteFileA(BesideExecutable(kResFile).c_str()); }
    ~PictureEx() override { DeleteFileA(BesideExecutable(kResFile).c_str()); }

    void WriteResFile(const std::string& bytes)
    {
        FILE* file = std::fopen(BesideExecutable(kResFile).c_str(), "wb");
        ASSERT_NE(nullptr, file);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    void Configure(const std::string& file, const std::string& type, const std::string& name)
    {
        loader_.SetResFile(file);
        loader_.SetResType(type);
        loader_.SetResName(name);
    }
    // Counts loads through a custom loader that leaves the work to the built-in ones.
    void CountLoads()
    {
        loader_.OnLoadResource = [this](TStream&, bool&) { ++loads_; };
    }

    TPictureEx picture_;
    TResourceImageLoader loader_;
    int loads_ = 0;
};

}   // namespace

TEST_F(PictureEx, WithoutTheFileTheProgramsLogoIsLoaded)
{
    Configure(kResFile, "RT_BITMAP", "LOGO");
    EXPECT_EQ(nullptr, picture_.Graphic());   // not ready: the names are only stored
    int changes = 0;
    picture_.OnChange = [&](TObject*) { ++changes; };
    loader_.Load();
    auto* logo = dynamic_cast<TSafetyBitmap*>(picture_.Graphic());
    ASSERT_NE(nullptr, logo);
    EXPECT_EQ(kLogoWidth, logo->Width());
    EXPECT_EQ(kLogoHeight, logo->Height());
    EXPECT_EQ(TPixelFormat::Bit8, logo->PixelFormat());
    EXPECT_TRUE(picture_.FromResource());
    EXPECT_FALSE(picture_.StoresImage());
    EXPECT_GE(changes, 1);   // reported by the graphic's loading
}

TEST_F(PictureEx, AResourceFileBesideTheProgramWins)
{
    WriteResFile(Start() + Entry(Id(2), Id("logo"), RedBlueDib()));
    Configure(kResFile, "RT_BITMAP", "LOGO");
    loader_.Load();
    ASSERT_NE(nullptr, picture_.Graphic());
    EXPECT_EQ(2, picture_.Width());
    EXPECT_EQ(RGB(255, 0, 0), PixelOf(picture_, 0, 0));
    EXPECT_EQ(RGB(0, 0, 255), PixelOf(picture_, 1, 0));
    EXPECT_EQ(BesideExecutable(kResFile), loader_.ResPath());
}

TEST_F(PictureEx, BitmapResourcesGetTheirPixelOffsetFromTheHeader)
{
    TestBmp short8(2, 1, 8);   // three colours only
    short8.info.biClrUsed = 3;
    short8.colors = {{0, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};
    short8.SetIndex(0, 0, 2);
    short8.SetIndex(1, 0, 1);
    TestBmp full4(2, 1, 4);   // a full table of 16
    full4.colors[5] = {0, 0, 255, 0};
    full4.colors[6] = {0, 255, 0, 0};
    full4.SetIndex(0, 0, 5);
    full4.SetIndex(1, 0, 6);
    TestBmp masks16(2, 1, 16);   // 5-6-5 masks after the header
    masks16.SetMasks(0xF800, 0x07E0, 0x001F);
    masks16.pixels = {0x00, 0xF8, 0xE0, 0x07};   // red, green
    TestBmp core8(2, 1, 8);   // a core header with 3-byte entries
    core8.coreHeader = true;
    core8.colors.assign(256, kQuadBlack);
    core8.colors[7] = kQuadRed;
    core8.colors[9] = kQuadGreen;
    core8.SetIndex(0, 0, 7);
    core8.SetIndex(1, 0, 9);

    const struct {
        std::string dib;
        COLORREF left, right;
    } cases[] = {
        {short8.Packed(), RGB(255, 0, 0), RGB(0, 255, 0)},
        {full4.Packed(), RGB(255, 0, 0), RGB(0, 255, 0)},
        {masks16.Packed(), RGB(255, 0, 0), RGB(0, 255, 0)},
        {core8.Packed(), RGB(255, 0, 0), RGB(0, 255, 0)},
        {RedBlueDib(), RGB(255, 0, 0), RGB(0, 0, 255)},
    };
    int index = 0;
    for (const auto& c : cases) {
        TMemoryStream resource;
        FillStream(resource, c.dib);
        TPicture picture;
        LoadBitmapResource(picture, resource);
        ASSERT_EQ(2, picture.Width()) << index;
        EXPECT_EQ(c.left, PixelOf(picture, 0, 0)) << index;
        EXPECT_EQ(c.right, PixelOf(picture, 1, 0)) << index;
        ++index;
    }
    TMemoryStream empty;
    TPicture picture;
    EXPECT_THROW(LoadBitmapResource(picture, empty), EInvalidGraphic);
}

TEST_F(PictureEx, TypeNamesAreNotThePredefinedTypes)
{
    Configure("", "rt_bitmap", "LOGO");
    EXPECT_THROW(loader_.Load(), EResNotFound);
    EXPECT_FALSE(picture_.FromResource());
    WriteResFile(Start() + Entry(Id(2), Id("LOGO2"), RedBlueDib()));
    Configure(kResFile, "RT_BITMAP", "LOGO");
    EXPECT_THROW(loader_.Load(), EResNotFound);
}

TEST_F(PictureEx, JpegResourcesBecomeSafetyJpegImages)
{
    WriteResFile(Start() + Entry(Id("JPEG"), Id("PHOTO"), SmallJpeg()));
    Configure(kResFile, "jpeg", "photo");
    loader_.Load();
    ASSERT_NE(nullptr, picture_.Graphic());
    EXPECT_STREQ("TSafetyJPEGImage", picture_.Graphic()->ClassName());
    EXPECT_EQ(3, picture_.Width());
    EXPECT_TRUE(picture_.FromResource());

    // Damaged JPEG data fails; the picture keeps the graphic that JPEGOf put there.
    WriteResFile(Start() + Entry(Id("JPEG"), Id("BROKEN"), "no jpeg"));
    loader_.SetResName("BROKEN");
    EXPECT_THROW(loader_.Load(), EInvalidGraphic);
    EXPECT_STREQ("TSafetyJPEGImage", picture_.Graphic()->ClassName());
}

TEST_F(PictureEx, OtherTypesLoadNothingUnlessACustomLoaderDoes)
{
    WriteResFile(Start() + Entry(Id("CUSTOM"), Id("ITEM"), "custom bytes"));
    Configure(kResFile, "CUSTOM", "ITEM");
    EXPECT_NO_THROW(loader_.Load());
    EXPECT_EQ(nullptr, picture_.Graphic());
    EXPECT_FALSE(picture_.FromResource());

    std::string seen;
    loader_.OnLoadResource = [&](TStream& stream, bool& handled) {
        seen.resize(static_cast<size_t>(stream.Size()));
        stream.ReadBuffer(&seen[0], stream.Size());
        handled = true;
    };
    loader_.Load();
    EXPECT_EQ("custom bytes", seen);
    EXPECT_EQ(nullptr, picture_.Graphic());
    EXPECT_TRUE(picture_.FromResource());
}

TEST_F(PictureEx, NamesReloadOnlyWhenReadyAndChanged)
{
    WriteResFile(Start() + Entry(Id(2), Id("A"), RedBlueDib()) + Entry(Id(2), Id("B"), RedBlueDib()));
    CountLoads();
    Configure(kResFile, "RT_BITMAP", "A");
    EXPECT_EQ(0, loads_);
    loader_.SetReady(true);
    loader_.SetResName("A");   // the same text
    EXPECT_EQ(0, loads_);
    loader_.SetResName("B");
    EXPECT_EQ(1, loads_);
    EXPECT_TRUE(picture_.FromResource());
    loader_.SetAutoLoad(false);
    loader_.SetResName("A");
    EXPECT_EQ(1, loads_);
    EXPECT_FALSE(picture_.FromResource());   // cleared by the change
    loader_.SetAutoLoad(true);
    loader_.SetResName("");   // empty name: nothing to load
    EXPECT_EQ(1, loads_);
}

TEST_F(PictureEx, AssignmentCopiesTheNamesAndReloads)
{
    TPictureEx otherPicture;
    TResourceImageLoader source(otherPicture);
    source.SetResFile(kResFile);
    source.SetResType("RT_BITMAP");
    source.SetResName("LOGO");
    source.SetAutoLoad(false);
    CountLoads();
    picture_.SetFromResource(true);
    loader_.SetReady(true);
    loader_.Assign(&source);
    EXPECT_EQ(kResFile, loader_.ResFile());
    EXPECT_EQ("RT_BITMAP", loader_.ResType());
    EXPECT_EQ("LOGO", loader_.ResName());
    EXPECT_TRUE(loader_.AutoLoad());
    EXPECT_EQ(1, loads_);
    EXPECT_EQ(kLogoWidth, picture_.Width());

    TPicture notALoader;
    EXPECT_THROW(source.Assign(&notALoader), EAssignError);
    EXPECT_THROW(notALoader.Assign(&source), EAssignError);
}

TEST_F(PictureEx, AChangeDuringItsOwnChangeIsDropped)
{
    picture_.Bitmap();
    int changes = 0;
    picture_.OnChange = [&](TObject*) {
        ++changes;
        EXPECT_TRUE(picture_.Changing());
        picture_.Bitmap().SetSize(5, 5);   // changes the picture again
    };
    picture_.Bitmap().SetSize(2, 2);
    EXPECT_EQ(1, changes);
    EXPECT_FALSE(picture_.Changing());
}

TEST_F(PictureEx, GraphicOfReplacesOnlyOtherClassesQuietly)
{
    TPicture picture;
    picture.Bitmap().SetSize(4, 4);
    int changes = 0;
    picture.OnChange = [&](TObject*) { ++changes; };
    TSafetyBitmap& bitmap = SafetyBitmapOf(picture);
    EXPECT_EQ(&bitmap, picture.Graphic());
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(0, changes);
    bitmap.SetSize(3, 3);
    EXPECT_EQ(1, changes);   // the event is attached again
    EXPECT_EQ(&bitmap, &SafetyBitmapOf(picture));

    picture.TakeGraphic(std::make_unique<TJPEGImage>());
    changes = 0;
    TJPEGImage& plain = JPEGOf(picture);
    EXPECT_STREQ("TJPEGImage", plain.ClassName());   // any JPEG graphic is kept
    SafetyBitmapOf(picture);
    EXPECT_STREQ("TSafetyJPEGImage", JPEGOf(picture).ClassName());
    EXPECT_EQ(0, changes);
}

TEST_F(PictureEx, JpegFormatsAreRegisteredForTheSafetyImage)
{
    RegisterSafetyJPEGFormats();
    EXPECT_EQ(GraphicFactory<TSafetyJPEGImage>(), TPicture::FileFormatFactory("jpg"));
    EXPECT_EQ(GraphicFactory<TSafetyJPEGImage>(), TPicture::FileFormatFactory("JPEG"));
    int found = 0;
    for (const TFileFormat& format : TPicture::FileFormats())
        if (format.factory == GraphicFactory<TSafetyJPEGImage>()) {
            EXPECT_EQ("JPEG Image", format.description);
            ++found;
        }
    EXPECT_EQ(2, found);
    UnregisterSafetyJPEGFormats();
    EXPECT_EQ(nullptr, TPicture::FileFormatFactory("JPG"));
}

TEST_F(PictureEx, DrawingAJpegReportsNoChange)
{
    TSafetyJPEGImage image;
    TMemoryStream stream;
    FillStream(stream, SmallJpeg());
    image.LoadFromStream(stream);
    int changes = 0;
    image.OnChange = [&](TObject*) { ++changes; };
    TBitmap target;
    target.SetSize(6, 4);
    target.Canvas().StretchDraw(RECT{0, 0, 6, 4}, &image);
    EXPECT_EQ(0, changes);
    EXPECT_TRUE(image.OnChange);   // attached again
    const COLORREF grey = target.Canvas().Pixel(2, 2);
    EXPECT_NEAR(128, GetRValue(grey), 8);
}
