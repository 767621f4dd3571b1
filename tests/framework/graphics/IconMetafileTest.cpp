// Icons and enhanced metafiles made in the test, loaded from streams and drawn.
#include "framework/graphics/Icon.h"

#include "support/DrawTarget.h"
#include "support/StreamBytes.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Metafile.h"
#include "framework/graphics/Picture.h"
#include "framework/core/Exception.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);
constexpr int kIconSide = 32;

// A red icon whose left half is transparent.
HICON MakeHalfIcon()
{
    TScreenDC screen;
    TOwnedBitmap color(CreateCompatibleBitmap(screen, kIconSide, kIconSide));
    TOwnedBitmap mask(CreateBitmap(kIconSide, kIconSide, 1, 1, nullptr));
    {
        TMemoryDC dc;
        TSelectObject selectColor(dc, color.Get());
        TOwnedBrush red(CreateSolidBrush(kRed));
        RECT all{0, 0, kIconSide, kIconSide};
        FillRect(dc, &all, red.Get());
        RECT left{0, 0, kIconSide / 2, kIconSide};
        FillRect(dc, &left, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        selectColor.Restore();
        TSelectObject selectMask(dc, mask.Get());
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        FillRect(dc, &left, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ICONINFO info{TRUE, 0, 0, mask.Get(), color.Get()};
    return CreateIconIndirect(&info);
}

void ExpectHalfIconDrawn(TGraphic& icon)
{
    TDrawTarget target(kIconSide, kIconSide, kYellow);
    target.Canvas().Draw(0, 0, &icon);
    EXPECT_EQ(kYellow, target.Pixel(2, 5));
    EXPECT_EQ(kRed, target.Pixel(kIconSide - 2, 5));
}

// A 100 x 50 pixel metafile: blue on the left half, red on the right.
HENHMETAFILE MakeMetafile()
{
    TScreenDC screen;
    int mmWidth = GetDeviceCaps(screen, HORZSIZE), mmHeight = GetDeviceCaps(screen, VERTSIZE);
    int pxWidth = GetDeviceCaps(screen, HORZRES), pxHeight = GetDeviceCaps(screen, VERTRES);
    RECT frame{0, 0, MulDiv(100, mmWidth * 100, pxWidth), MulDiv(50, mmHeight * 100, pxHeight)};
    HDC dc = CreateEnhMetaFileA(screen, nullptr, &frame, nullptr);
    TOwnedBrush blue(CreateSolidBrush(kBlue)), red(CreateSolidBrush(kRed));
    RECT left{0, 0, 50, 50}, right{50, 0, 100, 50};
    FillRect(dc, &left, blue.Get());
    FillRect(dc, &right, red.Get());
    return CloseEnhMetaFile(dc);
}

}  // namespace

TEST(Icon, FromAHandleDrawsWithItsMask)
{
    TIcon icon;
    icon.SetHandle(MakeHalfIcon());
    EXPECT_EQ(kIconSide, icon.Width());
    EXPECT_TRUE(icon.Transparent());
    ExpectHalfIconDrawn(icon);
    EXPECT_THROW(icon.SetWidth(16), EInvalidOperation);
    icon.SetWidth(kIconSide);   // no change, no error
}

TEST(Icon, SavedFileAndSingleImageLoadBack)
{
    TIcon source;
    source.SetHandle(MakeHalfIcon());
    TMemoryStream file;
    source.SaveToStream(file);
    file.SetPosition(0);
    TIcon fromFile;
    fromFile.LoadFromStream(file);
    EXPECT_EQ(kIconSide, fromFile.Height());
    ExpectHalfIconDrawn(fromFile);

    // The image alone, as an RT_ICON resource holds it: the bytes after directory and entry.
    constexpr size_t kDirectoryBytes = 6 + 16;
    TMemoryStream image;
    FillStream(image, static_cast<const BYTE*>(file.Memory()) + kDirectoryBytes,
             static_cast<size_t>(file.Size()) - kDirectoryBytes);
    TIcon fromImage;
    fromImage.LoadFromStream(image);
    ExpectHalfIconDrawn(fromImage);

    TIcon copy;
    copy.Assign(&fromImage);
    EXPECT_NE(copy.Handle(), fromImage.Handle());
    ExpectHalfIconDrawn(copy);
}

TEST(Icon, DataThatIsNoIconIsRefused)
{
    TIcon icon;
    TMemoryStream stream;
    FillStream(stream, "garbage bytes, no icon", 22);
    EXPECT_THROW(icon.LoadFromStream(stream), EInvalidGraphic);

    // A directory whose only image lies beyond the end of the file.
    const BYTE directory[] = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 32, 0,
                              0x00, 0x10, 0, 0, 22, 0, 0, 0};
    FillStream(stream, directory, sizeof(directory));
    EXPECT_THROW(icon.LoadFromStream(stream), EInvalidGraphic);
    EXPECT_TRUE(icon.Empty());
}

TEST(Metafile, LoadsExactlyItsBytesAndPlaysIntoTheRectangle)
{
    TOwnedEnhMetaFile made(MakeMetafile());
    ASSERT_TRUE(made);
    UINT size = GetEnhMetaFileBits(made.Get(), 0, nullptr);
    std::vector<BYTE> bits(size);
    GetEnhMetaFileBits(made.Get(), size, bits.data());
    TMemoryStream stream;
    stream.WriteBuffer(bits.data(), static_cast<long>(size));
    stream.WriteBuffer("TAIL", 4);
    stream.SetPosition(0);

    TMetafile metafile;
    int changes = 0;
    metafile.OnChange = [&](TObject*) { ++changes; };
    metafile.LoadFromStream(stream);
    EXPECT_EQ(static_cast<long>(size), stream.Position());
    EXPECT_EQ(1, changes);
    EXPECT_NEAR(100, metafile.Width(), 1);
    EXPECT_NEAR(50, metafile.Height(), 1);

    TDrawTarget target(200, 100, kYellow);
    target.Canvas().StretchDraw(RECT{0, 0, 200, 100}, &metafile);
    EXPECT_EQ(kBlue, target.Pixel(20, 50));
    EXPECT_EQ(kRed, target.Pixel(180, 50));

    TMemoryStream saved;
    metafile.SaveToStream(saved);
    EXPECT_EQ(static_cast<long>(size), saved.Size());
    TPicture picture;
    picture.SetGraphic(&metafile);
    EXPECT_NEAR(100, picture.Width(), 1);
}

TEST(Metafile, DataThatIsNoMetafileIsRefused)
{
    TMetafile metafile;
    TMemoryStream stream;
    std::vector<BYTE> junk(200, 0x11);
    FillStream(stream, junk.data(), junk.size());
    EXPECT_THROW(metafile.LoadFromStream(stream), EInvalidGraphic);
    FillStream(stream, junk.data(), 10);
    EXPECT_THROW(metafile.LoadFromStream(stream), EInvalidGraphic);

    // A true header that claims more bytes than there are.
    TOwnedEnhMetaFile made(MakeMetafile());
    ENHMETAHEADER header{};
    GetEnhMetaFileHeader(made.Get(), sizeof(header), &header);
    header.nBytes = 1000000;
    FillStream(stream, &header, sizeof(header));
    EXPECT_THROW(metafile.LoadFromStream(stream), EInvalidGraphic);
    EXPECT_TRUE(metafile.Empty());
}

TEST(Metafile, PlaceableWindowsMetafileIsConverted)
{
    HDC recorder = CreateMetaFileA(nullptr);
    SetWindowExtEx(recorder, 100, 50, nullptr);
    TOwnedBrush blue(CreateSolidBrush(kBlue)), red(CreateSolidBrush(kRed));
    RECT left{0, 0, 50, 50}, right{50, 0, 100, 50};
    FillRect(recorder, &left, blue.Get());
    FillRect(recorder, &right, red.Get());
    HMETAFILE recorded = CloseMetaFile(recorder);
    UINT size = GetMetaFileBitsEx(recorded, 0, nullptr);
    std::vector<BYTE> bits(size);
    GetMetaFileBitsEx(recorded, size, bits.data());
    DeleteMetaFile(recorded);

    const WORD placeable[11] = {0xCDD7, 0x9AC6, 0, 0, 0, 100, 50, 96, 0, 0, 0};
    TMemoryStream stream;
    stream.WriteBuffer(placeable, sizeof(placeable));
    stream.WriteBuffer(bits.data(), static_cast<long>(size));
    stream.SetPosition(0);
    TMetafile metafile;
    metafile.LoadFromStream(stream);
    EXPECT_EQ(stream.Size(), stream.Position());
    EXPECT_FALSE(metafile.Empty());
    TDrawTarget target(200, 100, kYellow);
    target.Canvas().StretchDraw(RECT{0, 0, 200, 100}, &metafile);
    EXPECT_EQ(kBlue, target.Pixel(20, 50));
    EXPECT_EQ(kRed, target.Pixel(180, 50));

    // The same header over a record block that claims more words than there are.
    stream.SetSize(static_cast<long>(sizeof(placeable)) + 18);
    stream.SetPosition(0);
    auto* header = reinterpret_cast<METAHEADER*>(static_cast<BYTE*>(stream.Memory()) + 22);
    header->mtSize = 100000;
    EXPECT_THROW(metafile.LoadFromStream(stream), EInvalidGraphic);
}
