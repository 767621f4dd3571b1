// Palette arrangement, RIFF palettes, the default palette, screen facts and part drawing.
#include "support/DrawTarget.h"
#include "support/StreamBytes.h"
#include "dib/UScreenColors.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/win32/GdiHandle.h"
#include "framework/win32/WindowsFamily.h"
#include "framework/core/Exception.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kSystemColors = 20;
constexpr int kHalfSystem = kSystemColors / 2;

std::vector<PALETTEENTRY> Entries(HPALETTE palette)
{
    std::vector<PALETTEENTRY> entries(256);
    entries.resize(GetPaletteEntries(palette, 0, 256, entries.data()));
    return entries;
}

TOwnedPalette MakePalette(const std::vector<PALETTEENTRY>& entries)
{
    std::vector<BYTE> buffer(4 + 4 * entries.size());
    auto* log = reinterpret_cast<LOGPALETTE*>(buffer.data());
    log->palVersion = 0x300;
    log->palNumEntries = static_cast<WORD>(entries.size());
    std::memcpy(log->palPalEntry, entries.data(), 4 * entries.size());
    return TOwnedPalette(CreatePalette(log));
}

PALETTEENTRY Rgb(BYTE r, BYTE g, BYTE b, BYTE flags = 0)
{
    return PALETTEENTRY{r, g, b, flags};
}

bool Same(const PALETTEENTRY& a, const PALETTEENTRY& b)
{
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue &&
           a.peFlags == b.peFlags;
}

#define EXPECT_ENTRY(expected, actual)                                                   \
    EXPECT_TRUE(Same(expected, actual)) << "got " << int((actual).peRed) << ","         \
                                        << int((actual).peGreen) << ","                 \
                                        << int((actual).peBlue) << " flags "            \
                                        << int((actual).peFlags)

// Sixteen distinct colours, none of them black, white or (0, 0, b).
std::vector<PALETTEENTRY> SixteenColors()
{
    std::vector<PALETTEENTRY> colors;
    for (int i = 0; i < 16; ++i)
        colors.push_back(Rgb(static_cast<BYTE>(10 + i), static_cast<BYTE>(20 + i), 30));
    return colors;
}

bool EnvIs(const char* name, const char* value)
{
    const char* v = std::getenv(name);
    return v && std::string(v) == value;
}

} // namespace

// ---- ArrangePalette ----

TEST(ArrangePalette, BlackAndWhiteAlreadyAtTheEndsStayInPlace)
{
    auto colors = SixteenColors();
    colors[0] = Rgb(0, 0, 0);
    colors[15] = Rgb(255, 255, 255);
    TOwnedPalette palette = MakePalette(colors);
    ArrangePalette(palette.Get(), true, 16);
    auto result = Entries(palette.Get());
    ASSERT_EQ(16u, result.size());
    for (int i = 0; i < 16; ++i)
        EXPECT_ENTRY(colors[i], result[i]) << " at " << i;
}

TEST(ArrangePalette, BlackMovesToTheStartWhiteIsAddedAndTheLastColourIsDropped)
{
    auto colors = SixteenColors();
    colors[3] = Rgb(0, 0, 0);
    TOwnedPalette palette = MakePalette(colors);
    ArrangePalette(palette.Get(), true, 16);
    auto result = Entries(palette.Get());
    ASSERT_EQ(16u, result.size());
    EXPECT_ENTRY(Rgb(0, 0, 0), result[0]);
    const int oldOrder[] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    for (int i = 0; i < 14; ++i)
        EXPECT_ENTRY(colors[oldOrder[i]], result[i + 1]) << " at " << i + 1;
    EXPECT_ENTRY(Rgb(255, 255, 255), result[15]);
}

TEST(ArrangePalette, FillersSkipPresentColoursAndDuplicatesKeepTheFirstFlags)
{
    TOwnedPalette palette = MakePalette({Rgb(9, 9, 9, PC_NOCOLLAPSE), Rgb(0, 0, 2),
                                         Rgb(9, 9, 9, PC_RESERVED), Rgb(0, 0, 4)});
    ArrangePalette(palette.Get(), true, 8);
    auto result = Entries(palette.Get());
    ASSERT_EQ(8u, result.size());
    EXPECT_ENTRY(Rgb(0, 0, 0), result[0]);
    EXPECT_ENTRY(Rgb(9, 9, 9, PC_NOCOLLAPSE), result[1]);
    EXPECT_ENTRY(Rgb(0, 0, 2), result[2]);
    EXPECT_ENTRY(Rgb(0, 0, 4), result[3]);
    EXPECT_ENTRY(Rgb(0, 0, 1), result[4]);
    EXPECT_ENTRY(Rgb(0, 0, 3), result[5]);
    EXPECT_ENTRY(Rgb(0, 0, 5), result[6]);
    EXPECT_ENTRY(Rgb(255, 255, 255), result[7]);
}

TEST(ArrangePalette, SystemColoursGoHalfToTheStartAndHalfToTheEnd)
{
    auto stock = Entries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
    ASSERT_EQ(static_cast<size_t>(kSystemColors), stock.size());
    TOwnedPalette palette = MakePalette({Rgb(1, 2, 3), Rgb(4, 5, 6)});
    ArrangePalette(palette.Get(), false, 256);
    auto result = Entries(palette.Get());
    ASSERT_EQ(256u, result.size());
    for (int i = 0; i < kHalfSystem; ++i) {
        EXPECT_ENTRY(stock[i], result[i]) << " at " << i;
        EXPECT_ENTRY(stock[kHalfSystem + i], result[256 - kHalfSystem + i])
            << " at " << 256 - kHalfSystem + i;
    }
    EXPECT_ENTRY(Rgb(1, 2, 3), result[kHalfSystem]);
    EXPECT_ENTRY(Rgb(4, 5, 6), result[kHalfSystem + 1]);
    // Every colour once.
    for (int i = 0; i < 256; ++i)
        for (int j = i + 1; j < 256; ++j)
            ASSERT_FALSE(result[i].peRed == result[j].peRed &&
                         result[i].peGreen == result[j].peGreen &&
                         result[i].peBlue == result[j].peBlue) << i << " and " << j;
}

TEST(ArrangePalette, ACountWithoutRoomForTheReservedColoursIsRefused)
{
    TOwnedPalette palette = MakePalette(SixteenColors());
    EXPECT_THROW(ArrangePalette(palette.Get(), false, 16), EInvalidOperation);
    EXPECT_EQ(16u, Entries(palette.Get()).size());
}

// ---- RIFF palettes ----

namespace {

struct RiffFile {
    std::string form = "PAL ";
    std::vector<PALETTEENTRY> entries;
    long chunkSizeDelta = 0;   // added to the true chunk size in the header
    long cut = 0;              // bytes removed from the end of the file
    int countOverride = -1;    // palNumEntries written instead of the entry count

    void WriteTo(TMemoryStream& stream) const
    {
        DWORD chunk = static_cast<DWORD>(4 + 4 * entries.size() + chunkSizeDelta);
        DWORD riff = chunk + 12;
        std::string bytes = "RIFF";
        bytes.append(reinterpret_cast<const char*>(&riff), 4);
        bytes += form + "data";
        bytes.append(reinterpret_cast<const char*>(&chunk), 4);
        WORD version = 0x300;
        WORD count = static_cast<WORD>(countOverride >= 0 ? countOverride : entries.size());
        bytes.append(reinterpret_cast<const char*>(&version), 2);
        bytes.append(reinterpret_cast<const char*>(&count), 2);
        bytes.append(reinterpret_cast<const char*>(entries.data()), 4 * entries.size());
        bytes.resize(bytes.size() - cut);
        FillStream(stream, bytes);
    }
};

} // namespace

TEST(RiffPalette, AValidFileGivesItsColoursAndLeavesTheStreamAfterTheChunk)
{
    RiffFile file;
    file.entries = {Rgb(255, 0, 0), Rgb(0, 128, 0), Rgb(1, 2, 3)};
    TMemoryStream stream;
    file.WriteTo(stream);
    TOwnedPalette palette(ReadRiffPalette(stream));
    ASSERT_TRUE(palette);
    auto result = Entries(palette.Get());
    ASSERT_EQ(3u, result.size());
    for (int i = 0; i < 3; ++i)
        EXPECT_ENTRY(file.entries[i], result[i]);
    EXPECT_EQ(stream.Size(), stream.Position());
}

TEST(RiffPalette, WrongFormTruncatedOversizeAndShortDataGiveNone)
{
    RiffFile wrongForm;
    wrongForm.form = "WAVE";
    wrongForm.entries = {Rgb(1, 1, 1)};
    RiffFile truncated;
    truncated.entries = {Rgb(1, 1, 1), Rgb(2, 2, 2)};
    truncated.cut = 3;
    RiffFile oversize;
    oversize.entries.assign(257, Rgb(7, 7, 7));
    RiffFile countBeyondBuffer;
    countBeyondBuffer.entries.assign(256, Rgb(7, 7, 7));
    countBeyondBuffer.countOverride = 300;
    RiffFile shortHeader;
    shortHeader.cut = 4 + 4;   // ends inside the 20-byte head

    for (const RiffFile* file : {&wrongForm, &truncated, &oversize, &countBeyondBuffer,
                                 &shortHeader}) {
        TMemoryStream stream;
        file->WriteTo(stream);
        EXPECT_EQ(nullptr, ReadRiffPalette(stream).Get());
    }
    TMemoryStream stream;
    wrongForm.WriteTo(stream);
    ReadRiffPalette(stream);
    EXPECT_EQ(20, stream.Position()) << "a foreign form is left after its head";
}

TEST(RiffPalette, ResourcesAreReadAndMissingOnesGiveNone)
{
    HINSTANCE self = GetModuleHandleA(nullptr);
    TOwnedPalette palette(LoadPaletteResource(self, "TestPalette", "Palette"));
    ASSERT_TRUE(palette);
    auto result = Entries(palette.Get());
    ASSERT_EQ(3u, result.size());
    EXPECT_ENTRY(Rgb(255, 0, 0), result[0]);
    EXPECT_ENTRY(Rgb(0, 128, 0), result[1]);
    EXPECT_ENTRY(Rgb(1, 2, 3), result[2]);
    EXPECT_EQ(nullptr, LoadPaletteResource(self, "NoSuchPalette", "Palette").Get());
}

TEST(RiffPalette, HalftoneCopyIsAPlainPaletteOfTheHalftoneEntries)
{
    TOwnedPalette copy(CreateHalftoneCopy());
    ASSERT_TRUE(copy);
    TScreenDC screen;
    TOwnedPalette halftone(CreateHalftonePalette(screen));
    auto expected = Entries(halftone.Get());
    auto result = Entries(copy.Get());
    ASSERT_EQ(expected.size(), result.size());
    EXPECT_GT(result.size(), 0u);
    for (size_t i = 0; i < result.size(); ++i)
        EXPECT_ENTRY(expected[i], result[i]) << " at " << i;
}

// ---- Start-up and screen facts ----

TEST(ScreenColorsModule, DefaultPaletteLivesFromStartUpToShutdownWithTheSystemColoursAtTheEnds)
{
    EXPECT_EQ(nullptr, DefaultPaletteHandle());
    HPALETTE palette;
    {
        TScreenColorsModule module;
        palette = DefaultPaletteHandle();
        ASSERT_NE(nullptr, palette);
        auto entries = Entries(palette);
        ASSERT_EQ(256u, entries.size());
        auto stock = Entries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
        EXPECT_ENTRY(stock[0], entries[0]);
        EXPECT_ENTRY(stock[kSystemColors - 1], entries[255]);
        {
            TScreenColorsModule nested;   // counted: the inner end keeps the palette
        }
        EXPECT_EQ(palette, DefaultPaletteHandle());
        EXPECT_EQ(OBJ_PAL, static_cast<int>(GetObjectType(palette)));
    }
    EXPECT_EQ(nullptr, DefaultPaletteHandle());
    EXPECT_EQ(0, static_cast<int>(GetObjectType(palette))) << "palette not deleted";
}

TEST(ScreenColorsModule, PaletteDeviceAndPlatformMatchTheMachine)
{
    const bool eightBit = EnvIs("ZA2_SCREEN", "8");
    if (eightBit)
        EXPECT_EQ(8, ScreenColorDepth());
    else
        EXPECT_GE(ScreenColorDepth(), 24);
    EXPECT_EQ(eightBit, IsPaletteDevice());
    EXPECT_EQ(!EnvIs("ZA2_WINVER", "win98"), IsNtFamily());
}

// ---- DrawBitmapPart ----

namespace {

constexpr int kSourceSize = 4;
constexpr COLORREF kBackground = RGB(200, 200, 200);

COLORREF SourceColor(int x, int y)
{
    return RGB(40 * x + 10, 40 * y + 10, 99);
}

void FillSource(TBitmap& bitmap)
{
    bitmap.SetPixelFormat(TPixelFormat::Bit24);
    bitmap.SetSize(kSourceSize, kSourceSize);
    for (int y = 0; y < kSourceSize; ++y)
        for (int x = 0; x < kSourceSize; ++x)
            bitmap.Canvas().SetPixel(x, y, SourceColor(x, y));
}

} // namespace

TEST(DrawBitmapPart, APartIsScaledIntoTheDestinationAndTheMappingIsRestored)
{
    TBitmap source;
    FillSource(source);
    TDrawTarget target(8, 8, kBackground);
    // Source pixels (1..2, 2..3) doubled into (2..5, 2..5).
    DrawBitmapPart(target.Canvas(), RECT{2, 2, 6, 6}, source, RECT{1, 2, 3, 4});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(SourceColor(1 + x / 2, 2 + y / 2), target.Pixel(2 + x, 2 + y))
                << x << "," << y;
    EXPECT_EQ(kBackground, target.Pixel(1, 1));
    EXPECT_EQ(kBackground, target.Pixel(6, 6));

    HDC sourceDC = source.Canvas().Handle();
    EXPECT_EQ(MM_TEXT, GetMapMode(sourceDC));
    POINT origin{9, 9};
    GetViewportOrgEx(sourceDC, &origin);
    EXPECT_EQ(0, origin.x);
    EXPECT_EQ(0, origin.y);
    TDrawTarget plain(4, 4, kBackground);
    plain.Canvas().Draw(0, 0, &source);
    EXPECT_EQ(SourceColor(0, 0), plain.Pixel(0, 0));
    EXPECT_EQ(SourceColor(3, 3), plain.Pixel(3, 3));
}

TEST(DrawBitmapPart, TheWholeBitmapDrawsLikeThePlainStretchDraw)
{
    TBitmap source;
    FillSource(source);
    TDrawTarget part(7, 5, kBackground);
    TDrawTarget plain(7, 5, kBackground);
    const RECT dest{1, 0, 7, 5};
    DrawBitmapPart(part.Canvas(), dest, source, RECT{0, 0, kSourceSize, kSourceSize});
    plain.Canvas().StretchDraw(dest, &source);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(plain.Pixel(x, y), part.Pixel(x, y)) << x << "," << y;
}

TEST(DrawBitmapPart, EmptyRectanglesDrawNothing)
{
    TBitmap source;
    FillSource(source);
    TDrawTarget target(4, 4, kBackground);
    DrawBitmapPart(target.Canvas(), RECT{0, 0, 0, 4}, source, RECT{0, 0, 4, 4});
    DrawBitmapPart(target.Canvas(), RECT{0, 0, 4, 4}, source, RECT{1, 1, 3, 1});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(kBackground, target.Pixel(x, y));
}
