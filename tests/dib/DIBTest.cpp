// Shareable DIB copies of bitmaps: sections shared, device bitmaps extracted, drawing with
// StretchDIBits and the row-by-row fallback.
#include "support/BmpBuilder.h"
#include "support/DrawTarget.h"
#include "support/StreamBytes.h"
#include "dib/UDIB.h"
#include "dib/UScreenColors.h"
#include "framework/graphics/Bitmap.h"
#include "framework/win32/GdiHandle.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 3;
constexpr int kRows = 4;
constexpr COLORREF kBackground = RGB(255, 255, 255);

// Every row of the test images has its own colour; columns differ in blue.
COLORREF RowColor(int row, int column = 0)
{
    return RGB(50 * row + 20, 200 - 40 * row, 10 * column);
}

// A bottom-up 24-bit section of kWidth x kRows filled with RowColor.
class TSection {
public:
    TSection() : handle_(NewSection24(kWidth, kRows, &bits_))
    {
        TMemoryDC dc;
        TSelectObject select(dc, handle_.Get());
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kWidth; ++x)
                SetPixel(dc, x, y, RowColor(y, x));
    }
    HBITMAP Get() const { return handle_.Get(); }
    void* Bits() const { return bits_; }

private:
    void* bits_ = nullptr;  // before handle_: the section's constructor fills it
    TOwnedBitmap handle_;
};

// A device-dependent bitmap of the screen's format with the same pixels.
TOwnedBitmap MakeDeviceBitmap()
{
    TScreenDC screen;
    TOwnedBitmap bitmap(CreateCompatibleBitmap(screen, kWidth, kRows));
    TMemoryDC dc;
    TSelectObject select(dc, bitmap.Get());
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kWidth; ++x)
            SetPixel(dc, x, y, RowColor(y, x));
    return bitmap;
}

const RECT kWhole{0, 0, kWidth, kRows};

// Source rows outside the image: GDI refuses the transfer, so the fallback takes over.
const RECT kRefusedSource{0, 100, kWidth, 100 + kRows};

} // namespace

TEST(DIB, ASectionsBitsAreSharedWithItsHeader)
{
    TSection section;
    TDIB dib;
    EXPECT_EQ(nullptr, dib.Bits());
    dib.AssignHandle(section.Get(), nullptr);
    EXPECT_EQ(section.Bits(), dib.Bits());
    EXPECT_EQ(kWidth, dib.Header().biWidth);
    EXPECT_EQ(kRows, dib.Header().biHeight);
    EXPECT_EQ(24, dib.Header().biBitCount);

    TDrawTarget target(kWidth, kRows, kBackground);
    EXPECT_TRUE(dib.Draw(target.Canvas(), kWhole, kWhole));
    for (int y = 0; y < kRows; ++y)
        EXPECT_EQ(RowColor(y, 2), target.Pixel(2, y)) << "row " << y;
}

TEST(DIB, AnEightBitSectionBringsItsColourTable)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = 2;
    info.header.biHeight = 2;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.colors[0] = RGBQUAD{1, 2, 3, 0};
    info.colors[255] = RGBQUAD{250, 251, 252, 0};
    void* bits = nullptr;
    TOwnedBitmap section(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                          DIB_RGB_COLORS, &bits, nullptr, 0));
    TDIB dib;
    dib.AssignHandle(section.Get(), nullptr);
    EXPECT_EQ(1, dib.Colors()[0].rgbBlue);
    EXPECT_EQ(3, dib.Colors()[0].rgbRed);
    EXPECT_EQ(252, dib.Colors()[255].rgbRed);
}

TEST(DIB, ADeviceBitmapIsExtractedIntoOwnedBits)
{
    TOwnedBitmap bitmap = MakeDeviceBitmap();
    const int before = TBitsHolder::LiveCount();
    {
        TDIB dib;
        dib.AssignHandle(bitmap.Get(), nullptr);
        EXPECT_EQ(before + 1, TBitsHolder::LiveCount());
        ASSERT_NE(nullptr, dib.Bits());
        EXPECT_EQ(kRows, dib.Header().biHeight) << "bottom-up";
        EXPECT_EQ(ScreenColorDepth(), dib.Header().biBitCount);
        const DWORD row = (kWidth * dib.Header().biBitCount + 31) / 32 * 4;
        EXPECT_EQ(row * kRows, dib.Header().biSizeImage);

        // The copy shows what the bitmap shows, and is independent of it.
        TDrawTarget expected(kWidth, kRows, kBackground);
        {
            TMemoryDC dc;
            TSelectObject select(dc, bitmap.Get());
            BitBlt(expected.DC(), 0, 0, kWidth, kRows, dc, 0, 0, SRCCOPY);
        }
        bitmap.Reset();
        TDrawTarget target(kWidth, kRows, kBackground);
        EXPECT_TRUE(dib.Draw(target.Canvas(), kWhole, kWhole));
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kWidth; ++x)
                EXPECT_EQ(expected.Pixel(x, y), target.Pixel(x, y)) << x << "," << y;
    }
    EXPECT_EQ(before, TBitsHolder::LiveCount());
}

TEST(DIB, APaletteGivesTheColourTableOfAPaletteScreensBitmap)
{
    if (!IsPaletteDevice())
        GTEST_SKIP() << "device bitmaps have no colour table on true-colour screens";
    PALETTEENTRY entries[3] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}};
    std::vector<BYTE> buffer(4 + sizeof entries);
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
    log->palVersion = 0x300;
    log->palNumEntries = 3;
    std::memcpy(log->palPalEntry, entries, sizeof entries);
    TOwnedPalette palette(CreatePalette(log));
    TOwnedBitmap bitmap = MakeDeviceBitmap();
    TDIB dib;
    dib.AssignHandle(bitmap.Get(), palette.Get());
    EXPECT_EQ(8, dib.Header().biBitCount);
    EXPECT_EQ(255, dib.Colors()[0].rgbRed);
    EXPECT_EQ(0, dib.Colors()[0].rgbBlue);
    EXPECT_EQ(255, dib.Colors()[1].rgbGreen);
    EXPECT_EQ(255, dib.Colors()[2].rgbBlue);
}

TEST(DIB, CopiesJoinedByAssignKeepDrawingAfterTheFirstIsGone)
{
    TOwnedBitmap bitmap = MakeDeviceBitmap();
    const int before = TBitsHolder::LiveCount();
    auto first = std::make_unique<TDIB>();
    first->AssignHandle(bitmap.Get(), nullptr);
    TDIB second;
    second.Assign(*first);
    EXPECT_EQ(first->Bits(), second.Bits());
    EXPECT_EQ(before + 1, TBitsHolder::LiveCount());
    first.reset();
    EXPECT_EQ(before + 1, TBitsHolder::LiveCount()) << "bits freed while still shared";

    TDrawTarget target(kWidth, kRows, kBackground);
    EXPECT_TRUE(second.Draw(target.Canvas(), kWhole, kWhole));
    EXPECT_NE(kBackground, target.Pixel(1, 3));
    EXPECT_NE(target.Pixel(1, 0), target.Pixel(1, 3)) << "rows differ in the source";

    // A new assignment lets the shared holder go with its bits.
    TSection section;
    second.AssignHandle(section.Get(), nullptr);
    EXPECT_EQ(before + 1, TBitsHolder::LiveCount());
}

namespace {

// A 24-bit framework bitmap loaded from a BMP file, stored top-down when asked.
void LoadRowBitmap(TBitmap& bitmap, bool topDown)
{
    TestBmp bmp(kWidth, topDown ? -kRows : kRows, 24);
    bmp.info.biSizeImage = 0;   // 0, as many writers leave it
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kWidth; ++x)
            bmp.SetColor(x, y, RowColor(y, x));
    TMemoryStream stream;
    FillStream(stream, bmp.File());
    bitmap.LoadFromStream(stream);
}

} // namespace

TEST(DIB, PartsOfBottomUpAndTopDownImagesComeFromTheRightRows)
{
    for (bool topDown : {false, true}) {
        TBitmap bitmap;
        LoadRowBitmap(bitmap, topDown);
        TDIB dib;
        dib.AssignBitmap(bitmap);
        EXPECT_EQ(topDown ? -kRows : kRows, dib.Header().biHeight);
        TDrawTarget target(2, 2, kBackground);
        // Rows 2..3 (the bottom of the image: source row 0 of a bottom-up DIB), columns 1..2.
        EXPECT_TRUE(dib.Draw(target.Canvas(), RECT{0, 0, 2, 2}, RECT{1, 2, 3, 4}));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                EXPECT_EQ(RowColor(2 + y, 1 + x), target.Pixel(x, y))
                    << (topDown ? "top-down " : "bottom-up ") << x << "," << y;
    }
}

TEST(DIB, NothingToDrawSucceedsWithoutDrawing)
{
    TSection section;
    TDIB empty;
    TDrawTarget target(kWidth, kRows, kBackground);
    EXPECT_TRUE(empty.Draw(target.Canvas(), kWhole, kWhole));

    TDIB dib;
    dib.AssignHandle(section.Get(), nullptr);
    EXPECT_TRUE(dib.Draw(target.Canvas(), kWhole, RECT{1, 1, 1, 3}));
    EXPECT_TRUE(dib.Draw(target.Canvas(), RECT{50, 50, 60, 60}, kWhole)) << "outside the clip";
    // An empty source part must not reach the fallback, which draws the whole image.
    dib.DrawWithRowFallback(target.Canvas(), kWhole, RECT{1, 1, 1, 3});
    for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kWidth; ++x)
            EXPECT_EQ(kBackground, target.Pixel(x, y));
}

TEST(DIB, TheFallbackRepeatsSourceRowsIntoATallerDestination)
{
    TSection section;
    TDIB dib;
    dib.AssignHandle(section.Get(), nullptr);
    TDrawTarget target(2 * kWidth, 2 * kRows, kBackground);
    const RECT dest{0, 0, 2 * kWidth, 2 * kRows};
    ASSERT_FALSE(dib.Draw(target.Canvas(), dest, kRefusedSource));
    dib.DrawWithRowFallback(target.Canvas(), dest, kRefusedSource);
    // Destination row i comes from image row 4i / 8: every source row twice.
    for (int y = 0; y < 2 * kRows; ++y) {
        EXPECT_EQ(RowColor(y / 2, 0), target.Pixel(0, y)) << "row " << y;
        EXPECT_EQ(RowColor(y / 2, kWidth - 1), target.Pixel(2 * kWidth - 1, y)) << "row " << y;
    }
}

TEST(DIB, TheFallbackSqueezesBandsOfSourceRowsIntoAShorterDestination)
{
    TSection section;
    TDIB dib;
    dib.AssignHandle(section.Get(), nullptr);
    constexpr int kDestRows = 3;
    TDrawTarget target(kWidth, kDestRows + 1, kBackground);
    dib.DrawWithRowFallback(target.Canvas(), RECT{0, 0, kWidth, kDestRows}, kRefusedSource);
    // Bands for 4 rows into 3: rows 0..0, 1..1, 2..3.
    const std::vector<std::vector<int>> bands = {{0}, {1}, {2, 3}};
    for (int y = 0; y < kDestRows; ++y) {
        const COLORREF got = target.Pixel(1, y);
        bool inBand = false;
        for (int row : bands[y])
            inBand = inBand || got == RowColor(row, 1);
        EXPECT_TRUE(inBand) << "row " << y << " has " << std::hex << got;
    }
    EXPECT_EQ(kBackground, target.Pixel(1, kDestRows)) << "drew below the destination";
}

// 16 bits: a section with bitfield masks (5-6-5), which the copy must carry along.
TEST(DIB, AFrameworkTrueColourBitmapIsSharedAndDrawsItsPixels)
{
    for (TPixelFormat format : {TPixelFormat::Bit24, TPixelFormat::Bit16}) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(kWidth, kRows);
        // Colours that 5-6-5 keeps exactly.
        const COLORREF colors[kRows] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255),
                                        RGB(255, 255, 0)};
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kWidth; ++x)
                bitmap.Canvas().SetPixel(x, y, colors[y]);
        TDIB dib;
        dib.AssignBitmap(bitmap);
        DIBSECTION section{};
        ASSERT_EQ(static_cast<int>(sizeof section),
                  GetObjectA(bitmap.Handle(), sizeof section, &section));
        EXPECT_EQ(section.dsBm.bmBits, dib.Bits());
        TDrawTarget target(kWidth, kRows, kBackground);
        dib.DrawWithRowFallback(target.Canvas(), kWhole, kWhole);
        for (int y = 0; y < kRows; ++y)
            EXPECT_EQ(colors[y], target.Pixel(1, y)) << PixelFormatBits(format) << " bits";
    }
}

TEST(DIB, HolderAnswersForItsInterfaceOnly)
{
    IBitsHolder* holder = TBitsHolder::Create();
    void* object = nullptr;
    EXPECT_EQ(S_OK, holder->QueryInterface(IID_IBitsHolder, &object));
    EXPECT_EQ(holder, object);
    EXPECT_EQ(S_OK, holder->QueryInterface(__uuidof(IUnknown), &object));
    EXPECT_EQ(E_NOINTERFACE, holder->QueryInterface(__uuidof(IClassFactory), &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(2u, holder->Release());
    EXPECT_EQ(1u, holder->Release());
    const int before = TBitsHolder::LiveCount();
    EXPECT_EQ(0u, holder->Release());
    EXPECT_EQ(before - 1, TBitsHolder::LiveCount());
}
