// The DIB-section graphic: its stream, stored and clipboard forms, its palette, drawing of the
// part it shows, and conversion to and from framework bitmaps.
#include "support/BmpBuilder.h"
#include "support/StreamBytes.h"
#include "dib/UDIB.h"
#include "dib/UDIBitmap.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Palette.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ResText.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kBackground = RGB(10, 20, 30);

std::string Message(unsigned id)
{
    return LoadResText(id);
}

template <class F>
void ExpectInvalid(unsigned id, F&& action)
{
    try {
        action();
        ADD_FAILURE() << "no EInvalidGraphic";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(Message(id), e.Message());
    }
}

void Load(TDIBitmap& dib, const std::string& file)
{
    TMemoryStream stream;
    FillStream(stream, file);
    dib.LoadFromStream(stream);
}

// A 24-bit image whose pixel (x, y) has the colour Pattern(x, y).
COLORREF Pattern(int x, int y)
{
    return RGB(x * 16 % 256, y * 32 % 256, (x + y) % 2 ? 200 : 50);
}

TestBmp Patterned24(int width, int height)
{
    TestBmp bmp(width, height, 24);
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < width; ++x)
            bmp.SetColor(x, y, Pattern(x, y));
    return bmp;
}

// A 24-bit framework bitmap filled with kBackground, to draw on and read back.
class Target {
public:
    Target(int width, int height)
    {
        bitmap.SetPixelFormat(TPixelFormat::Bit24);
        bitmap.SetSize(width, height);
        bitmap.Canvas().Brush().SetColor(kBackground);
        bitmap.Canvas().FillRect(RECT{0, 0, width, height});
    }
    COLORREF At(int x, int y) { return bitmap.Canvas().Pixel(x, y) & 0xFFFFFF; }
    TBitmap bitmap;
};

// The section's 8-bit index at (x, y), row 0 at the top.
BYTE IndexAt(TDIBitmap& dib, int x, int y)
{
    DIBSECTION section{};
    GetObjectA(dib.GetHandle(), sizeof(section), &section);
    GdiFlush();
    const BITMAPINFOHEADER& h = section.dsBmih;
    int rowBytes = (h.biWidth * h.biBitCount + 31) / 32 * 4;
    int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    int stored = h.biHeight > 0 ? height - 1 - y : y;
    const BYTE* row = static_cast<const BYTE*>(section.dsBm.bmBits) + stored * rowBytes;
    if (h.biBitCount == 8)
        return row[x];
    return x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
}

std::string Saved(TDIBitmap& dib)
{
    TMemoryStream stream;
    dib.SaveToStream(stream);
    return StreamBytes(stream);
}

template <class T>
T At(const std::string& bytes, size_t offset)
{
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof(value));
    return value;
}

std::vector<std::vector<BYTE>> IndexRows(int width, int height, int colors)
{
    std::vector<std::vector<BYTE>> rows(height, std::vector<BYTE>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[y][x] = static_cast<BYTE>((x / 3 + y) % colors);
    return rows;
}

}  // namespace

TEST(DIBitmap, NewGraphicIsEmptyAndWritesNothingButItsRectangle)
{
    TDIBitmap dib;
    EXPECT_TRUE(dib.Empty());
    EXPECT_EQ(0, dib.Width());
    EXPECT_EQ(nullptr, dib.Palette());
    EXPECT_EQ(24, dib.Header().biBitCount);
    EXPECT_EQ("", Saved(dib));

    UINT format = 0;
    HANDLE data = reinterpret_cast<HANDLE>(1);
    HPALETTE palette = nullptr;
    dib.SaveToClipboardFormat(format, data, palette);
    EXPECT_EQ(static_cast<UINT>(CF_DIB), format);
    EXPECT_EQ(nullptr, data);

    Target target(4, 4);
    target.bitmap.Canvas().StretchDraw(RECT{0, 0, 4, 4}, &dib);
    EXPECT_EQ(kBackground, target.At(1, 1));

    TMemoryStream stored;
    dib.WriteData(stored);
    EXPECT_EQ(16, stored.Size());
    stored.SetPosition(0);
    TDIBitmap reader;
    ExpectInvalid(SInvalidImage, [&] { reader.ReadData(stored); });
}

TEST(DIBitmap, PaletteComesFromTheColourTableOnlyForTableImages)
{
    TDIBitmap eight;
    Load(eight, TestBmp(5, 3, 8).File());
    ASSERT_NE(nullptr, eight.Palette());
    EXPECT_EQ(256, PaletteEntryCount(eight.Palette()));
    PALETTEENTRY entry{};
    GetPaletteEntries(eight.Palette(), 255, 1, &entry);
    EXPECT_EQ(255, entry.peRed);

    TDIBitmap true24;
    Load(true24, TestBmp(5, 3, 24).File());
    EXPECT_EQ(nullptr, true24.Palette());
    EXPECT_EQ(5, true24.Width());
    EXPECT_EQ(3, true24.Height());
}

TEST(DIBitmap, SetPaletteTakesTheHandleAndReplacesTheDerivedOne)
{
    TDIBitmap dib;
    Load(dib, TestBmp(2, 2, 8).File());
    RGBQUAD colors[2] = {{0, 0, 255, 0}, {255, 0, 0, 0}};
    TOwnedPalette given = PaletteFromColorTable(colors, 2);
    const HPALETTE mine = given.Get();
    dib.SetPalette(std::move(given));
    EXPECT_EQ(mine, dib.Palette());
    dib.SetPalette(TOwnedPalette(mine));   // same handle: kept, not deleted
    EXPECT_EQ(2, PaletteEntryCount(dib.Palette()));
}

TEST(DIBitmap, TopDownAndBottomUpRowsDrawAlikeOnBothRoutes)
{
    TestBmp bottomUp = Patterned24(6, 5);
    TestBmp topDown = Patterned24(6, -5);
    for (bool fromBits : {true, false}) {
        for (const TestBmp* bmp : {&bottomUp, &topDown}) {
            TDIBitmap dib;
            dib.SetDrawFromBits(fromBits);
            Load(dib, bmp->File());
            EXPECT_EQ(bmp == &bottomUp, dib.IsBottomUp());
            Target target(6, 5);
            target.bitmap.Canvas().Draw(0, 0, &dib);
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 6; ++x)
                    ASSERT_EQ(Pattern(x, y), target.At(x, y))
                        << "fromBits " << fromBits << " at " << x << "," << y;
        }
    }
}

TEST(DIBitmap, RunLengthImagesLoadUncompressedAndSaveAsPlainRows)
{
    struct Case {
        int bits;
        int colors;
    };
    for (Case c : {Case{8, 256}, Case{4, 16}}) {
        const int width = 13, height = 7;
        TestBmp bmp(width, height, c.bits);
        auto rows = IndexRows(width, height, c.colors);
        if (c.bits == 8)
            bmp.EncodeRle8(rows);
        else
            bmp.EncodeRle4(rows);
        TDIBitmap dib;
        Load(dib, bmp.File());
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), dib.Header().biCompression);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(rows[y][x], IndexAt(dib, x, y)) << c.bits << " bits at " << x << "," << y;

        std::string saved = Saved(dib);
        const DWORD rowBytes = (width * c.bits + 31) / 32 * 4;
        const DWORD table = 4u * c.colors;
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), At<DWORD>(saved, 30));
        EXPECT_EQ(rowBytes * height, At<DWORD>(saved, 34));
        EXPECT_EQ(54 + table, At<DWORD>(saved, 10));
        EXPECT_EQ(54 + table + rowBytes * height, At<DWORD>(saved, 2));
        EXPECT_EQ(saved.size(), At<DWORD>(saved, 2));

        // Without a data size nothing is decoded, and nothing beyond the data is read.
        TestBmp unsized = bmp;
        unsized.info.biSizeImage = 0;
        TDIBitmap blank;
        Load(blank, unsized.File());
        EXPECT_EQ(width, blank.Width());
    }
}

TEST(DIBitmap, PixelsAreReadRightAfterTheColourTableWhateverBfOffBitsSays)
{
    TestBmp bmp(4, 1, 8);
    bmp.gap = std::string("\x05\x06\x07\x08", 4);
    bmp.SetIndex(0, 0, 9);
    TDIBitmap dib;
    Load(dib, bmp.File());
    EXPECT_EQ(5, IndexAt(dib, 0, 0));
    EXPECT_EQ(8, IndexAt(dib, 3, 0));
}

TEST(DIBitmap, WidthChoosesTheColumnsShownAndLoadingShowsTheWholeImageAgain)
{
    TestBmp bmp(100, 4, 24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 100; ++x)
            bmp.SetColor(x, y, x < 10 ? kRed : kBlue);
    TDIBitmap dib;
    Load(dib, bmp.File());
    int changes = 0;
    dib.OnChange = [&](TObject*) { ++changes; };
    dib.SetWidth(10);
    dib.SetWidth(10);
    EXPECT_EQ(1, changes);
    EXPECT_EQ(10, dib.Width());
    EXPECT_EQ(100, dib.Header().biWidth);

    for (bool fromBits : {true, false}) {
        dib.SetDrawFromBits(fromBits);
        Target target(40, 4);
        target.bitmap.Canvas().Draw(0, 0, &dib);
        EXPECT_EQ(kRed, target.At(9, 2));
        EXPECT_EQ(kBackground, target.At(10, 2));
        target.bitmap.Canvas().StretchDraw(RECT{0, 0, 40, 4}, &dib);
        EXPECT_EQ(kRed, target.At(39, 2)) << "the ten columns stretched";
    }

    Load(dib, bmp.File());
    EXPECT_EQ(100, dib.Width());
}

TEST(DIBitmap, StoredDataKeepsTheShownPartAndAcceptsTheFrameworkBitmapsForm)
{
    TDIBitmap dib;
    Load(dib, Patterned24(8, 6).File());
    dib.SetWidth(5);
    dib.SetHeight(4);
    TMemoryStream stored;
    dib.WriteData(stored);
    stored.WriteBuffer("tail", 4);
    stored.SetPosition(0);
    TDIBitmap copy;
    copy.ReadData(stored);
    EXPECT_EQ(5, copy.Width());
    EXPECT_EQ(4, copy.Height());
    EXPECT_EQ(stored.Size() - 4, stored.Position());

    TBitmap framework;
    TMemoryStream bmp;
    FillStream(bmp, Patterned24(8, 6).File());
    framework.LoadFromStream(bmp);
    TMemoryStream frameworkData;
    framework.WriteData(frameworkData);
    frameworkData.SetPosition(0);
    TDIBitmap fromFramework;
    fromFramework.ReadData(frameworkData);
    EXPECT_EQ(8, fromFramework.Width());
    EXPECT_EQ(6, fromFramework.Height());
    Target target(8, 6);
    target.bitmap.Canvas().Draw(0, 0, &fromFramework);
    EXPECT_EQ(Pattern(7, 5), target.At(7, 5));
}

TEST(DIBitmap, ClipboardRoundTripThroughTheSystemClipboard)
{
    TestBmp bmp(9, 5, 8);
    for (int x = 0; x < 9; ++x)
        bmp.SetIndex(x, 2, 40 + x);
    TDIBitmap dib;
    Load(dib, bmp.File());
    UINT format = 0;
    HANDLE data = nullptr;
    HPALETTE palette = nullptr;
    dib.SaveToClipboardFormat(format, data, palette);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(nullptr, palette);

    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    ASSERT_NE(nullptr, SetClipboardData(format, data));
    CloseClipboard();

    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE fromClipboard = GetClipboardData(CF_DIB);
    ASSERT_NE(nullptr, fromClipboard);
    TDIBitmap pasted;
    int changes = 0;
    pasted.OnChange = [&](TObject*) { ++changes; };
    pasted.LoadFromClipboardFormat(CF_DIB, fromClipboard, nullptr);
    ExpectInvalid(SUnsupportedClipboard,
                  [&] { pasted.LoadFromClipboardFormat(CF_BITMAP, fromClipboard, nullptr); });
    ExpectInvalid(SUnsupportedClipboard,
                  [&] { pasted.LoadFromClipboardFormat(CF_DIB, nullptr, nullptr); });
    CloseClipboard();

    EXPECT_EQ(0, changes);
    EXPECT_EQ(9, pasted.Width());
    for (int x = 0; x < 9; ++x)
        EXPECT_EQ(40 + x, IndexAt(pasted, x, 2));
    EXPECT_EQ(Saved(dib), Saved(pasted));
}

TEST(DIBitmap, AssignToAFrameworkBitmapEmptiesItThenSetsPaletteThenSizeThenDraws)
{
    TestBmp bmp(6, 4, 8);
    bmp.colors[3] = RGBQUAD{0, 0, 255, 0};
    for (int x = 0; x < 6; ++x)
        bmp.SetIndex(x, 1, 3);
    TDIBitmap dib;
    Load(dib, bmp.File());

    TBitmap dest;
    dest.SetPixelFormat(TPixelFormat::Bit24);
    dest.SetSize(3, 3);
    struct Step {
        int width, height;
        bool palette;
    };
    std::vector<Step> steps;
    dest.OnChange = [&](TObject*) {
        steps.push_back(Step{dest.Width(), dest.Height(), dest.Palette() != nullptr});
    };
    dest.Assign(&dib);
    ASSERT_GE(steps.size(), 4u);
    EXPECT_EQ(0, steps[1].width + steps[1].height) << "emptied first";
    size_t paletteStep = 0;
    while (paletteStep < steps.size() && !steps[paletteStep].palette)
        ++paletteStep;
    ASSERT_LT(paletteStep, steps.size());
    EXPECT_EQ(0, steps[paletteStep].width) << "palette set before the size";
    EXPECT_EQ(6, dest.Width());
    EXPECT_EQ(4, dest.Height());
    EXPECT_EQ(kRed, dest.Canvas().Pixel(2, 1) & 0xFFFFFF);
    EXPECT_NE(dib.Palette(), dest.Palette()) << "a copy of the palette";
}

TEST(DIBitmap, AssignFromFrameworkBitmapAndBetweenDIBitmaps)
{
    TBitmap framework;
    TMemoryStream bmp;
    FillStream(bmp, Patterned24(7, 3).File());
    framework.LoadFromStream(bmp);
    TDIBitmap dib;
    dib.Assign(&framework);
    EXPECT_EQ(7, dib.Width());
    dib.SetWidth(4);

    TDIBitmap other;
    other.Assign(&dib);
    EXPECT_EQ(4, other.Width());
    EXPECT_EQ(7, other.Header().biWidth);
    EXPECT_EQ(Saved(dib), Saved(other));

    TCanvas canvas;
    EXPECT_THROW(canvas.Assign(&dib), EAssignError);
}

TEST(DIBitmap, CoreHeaderImagesLoadWithTheirTripleColourTable)
{
    std::string file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    BITMAPCOREHEADER core{sizeof(BITMAPCOREHEADER), 3, 2, 1, 8};
    file.append(reinterpret_cast<const char*>(&core), sizeof(core));
    for (int i = 0; i < 256; ++i) {
        RGBTRIPLE triple{static_cast<BYTE>(i), 0, static_cast<BYTE>(255 - i)};
        file.append(reinterpret_cast<const char*>(&triple), sizeof(triple));
    }
    file.append("\x07\x07\x07\x00\x09\x09\x09\x00", 8);
    TDIBitmap dib;
    Load(dib, file);
    EXPECT_EQ(3, dib.Width());
    EXPECT_EQ(sizeof(BITMAPINFOHEADER), dib.Header().biSize);
    EXPECT_EQ(9, IndexAt(dib, 1, 0));
    PALETTEENTRY entry{};
    GetPaletteEntries(dib.Palette(), 9, 1, &entry);
    EXPECT_EQ(246, entry.peRed);
    EXPECT_EQ(9, entry.peBlue);
}

// Every header and pixel layout the bitmap loader reads: drawn with the right colours, and
// saved as plain rows that the framework's loader reads back alike.
TEST(DIBitmap, ReadsEveryHeaderAndBitfieldLayoutOfTheBitmapLoader)
{
    struct Case {
        const char* name;
        int bits;
        DWORD headerSize;
        DWORD masks[3];   // none: BI_RGB
        bool topDown;
    };
    const Case cases[] = {
        {"16-bit 555 plain", 16, 40, {}, false},
        {"16-bit 565", 16, 40, {0xF800, 0x07E0, 0x001F}, false},
        {"32-bit plain", 32, 40, {}, false},
        {"32-bit 888 bitfields", 32, 40, {0xFF0000, 0xFF00, 0xFF}, false},
        {"32-bit channels swapped", 32, 40, {0xFF, 0xFF00, 0xFF0000}, false},
        {"version 4, 8-bit", 8, 108, {}, false},
        {"version 5, 16-bit 565", 16, 124, {0xF800, 0x07E0, 0x001F}, false},
        {"version 4, 32-bit, top-down, high bytes", 32, 108, {0xFF000000, 0xFF0000, 0xFF00}, true},
    };
    const COLORREF shades[] = {kRed, kGreen, kBlue, RGB(255, 255, 255)};
    auto shadeAt = [&](int x, int y) { return shades[(x + 2 * y) % 4]; };
    const int width = 5, height = 3;
    for (const Case& c : cases) {
        TestBmp bmp(width, c.topDown ? -height : height, c.bits);
        bmp.info.biSize = c.headerSize;
        const bool fields = c.masks[0] != 0;
        if (fields)
            bmp.SetMasks(c.masks[0], c.masks[1], c.masks[2]);
        if (c.bits == 8) {
            bmp.colors.assign({kQuadRed, kQuadGreen, kQuadBlue, kQuadWhite});
            bmp.info.biClrUsed = 4;
        }
        // Each channel is all ones or all zeros, so every mask holds it exactly.
        const DWORD plain16[3] = {0x7C00, 0x03E0, 0x001F};
        const DWORD plain32[3] = {0xFF0000, 0xFF00, 0xFF};
        const DWORD* masks = fields ? c.masks : c.bits == 16 ? plain16 : plain32;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const COLORREF shade = shadeAt(x, y);
                if (c.bits == 8) {
                    bmp.SetIndex(x, y, (x + 2 * y) % 4);
                    continue;
                }
                DWORD value = 0;
                if (GetRValue(shade)) value |= masks[0];
                if (GetGValue(shade)) value |= masks[1];
                if (GetBValue(shade)) value |= masks[2];
                bmp.SetValue(x, y, value);
            }
        for (bool fromBits : {true, false}) {
            TDIBitmap dib;
            dib.SetDrawFromBits(fromBits);
            Load(dib, bmp.File());
            EXPECT_EQ(static_cast<DWORD>(BI_RGB), dib.Header().biCompression) << c.name;
            Target target(width, height);
            target.bitmap.Canvas().Draw(0, 0, &dib);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(shadeAt(x, y), target.At(x, y))
                        << c.name << " fromBits " << fromBits << " at " << x << "," << y;

            TBitmap reloaded;
            TMemoryStream saved;
            dib.SaveToStream(saved);
            saved.SetPosition(0);
            reloaded.LoadFromStream(saved);
            EXPECT_EQ(shadeAt(4, 2), reloaded.Canvas().Pixel(4, 2) & 0xFFFFFF) << c.name;
        }
    }
    BITMAPINFOHEADER version4{};
    version4.biSize = 108;
    version4.biBitCount = 8;
    EXPECT_EQ(108 + 4 * 256, TDIBitmap::InfoSize(version4));
}

TEST(DIBitmap, RejectsWhatItCannotHoldBeforeTouchingTheSection)
{
    TDIBitmap dib;
    Load(dib, TestBmp(3, 3, 24).File());
    const std::string good = TestBmp(3, 3, 24).File();

    std::string longHeader = good;
    longHeader[15] = 8;   // biSize 2,088: no header is that long
    ExpectInvalid(SInvalidImage, [&] { Load(dib, longHeader); });

    TestBmp zeroMask(3, 3, 16);
    zeroMask.SetMasks(0xF800, 0, 0x001F);
    ExpectInvalid(SInvalidImage, [&] { Load(dib, zeroMask.File()); });

    TestBmp tooManyColours(3, 3, 8);
    tooManyColours.info.biClrUsed = 300;
    ExpectInvalid(SInvalidImage, [&] { Load(dib, tooManyColours.File()); });

    TestBmp topDownRle(4, 2, 8);
    topDownRle.EncodeRle8(IndexRows(4, 2, 256));
    topDownRle.info.biHeight = -2;
    ExpectInvalid(SInvalidImage, [&] { Load(dib, topDownRle.File()); });

    std::string signature = good;
    signature[0] = 'X';
    ExpectInvalid(SInvalidImage, [&] { Load(dib, signature); });

    EXPECT_EQ(3, dib.Width()) << "the image loaded before is still there";

    EXPECT_THROW(Load(dib, good.substr(0, good.size() - 1)), EReadError);
}

TEST(DIBitmap, SectionThatCannotBeMadeReportsTheSystemError)
{
    TestBmp noColumns(4, 4, 8);
    noColumns.info.biWidth = 0;
    TDIBitmap dib;
    try {
        Load(dib, noColumns.File());
        ADD_FAILURE() << "no EInvalidGraphic";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(0u, e.Message().find("cannot create DIBSection(GLE=")) << e.Message();
        EXPECT_EQ(')', e.Message().back());
    }
    EXPECT_EQ(nullptr, dib.Palette());
}

TEST(DIBitmap, DrawRouteFollowsThePlatform)
{
    TDIBitmap::InitializeDrawRoute();
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_EQ(version.dwPlatformId != VER_PLATFORM_WIN32_NT, TDIBitmap::DefaultDrawFromBits);
    TDIBitmap dib;
    EXPECT_EQ(TDIBitmap::DefaultDrawFromBits, dib.DrawFromBits());
}

TEST(DIBitmap, DrawingLeavesTheTargetsPaletteAndHoldsNoDC)
{
    TDIBitmap dib;
    Load(dib, TestBmp(4, 4, 8).File());
    Target target(4, 4);
    HDC dc = target.bitmap.Canvas().Handle();
    HGDIOBJ before = GetCurrentObject(dc, OBJ_PAL);
    for (bool fromBits : {true, false}) {
        dib.SetDrawFromBits(fromBits);
        target.bitmap.Canvas().Draw(0, 0, &dib);
        EXPECT_EQ(before, GetCurrentObject(dc, OBJ_PAL));
        EXPECT_FALSE(dib.GetCanvas().HandleAllocated());
    }
}

// A device that takes no more than one row at a time, as some printers do.
class TRowDeviceDIBitmap : public TDIBitmap {
protected:
    bool DrawPart(TCanvas& canvas, const RECT& dest, const RECT& source, const void* bits) override
    {
        return dest.bottom - dest.top <= 1 && TDIBitmap::DrawPart(canvas, dest, source, bits);
    }
};

// The part shown starts inside the image, so a source row counted from the wrong end shows
// other rows (a whole-image draw would hide that); also when drawn row by row.
TEST(DIBitmap, PartOfATopDownImageShowsItsOwnRowsThroughBothClasses)
{
    const RECT part{1, 1, 4, 3};
    for (int height : {-5, 5}) {
        const TestBmp bmp = Patterned24(6, height);
        auto expectPart = [&](Target& target, const std::string& route) {
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 3; ++x)
                    ASSERT_EQ(Pattern(part.left + x, part.top + y), target.At(x, y))
                        << route << ", height " << height << " at " << x << "," << y;
        };
        for (bool fromBits : {true, false}) {
            for (bool byRows : {false, true}) {
                TMemoryStream stored;
                FillStream(stored, bmp.File());
                stored.Seek(0, SeekOrigin::End);
                stored.WriteBuffer(&part, sizeof(part));
                stored.SetPosition(0);
                TRowDeviceDIBitmap rowDevice;
                TDIBitmap plain;
                TDIBitmap& dib = byRows ? rowDevice : plain;
                dib.SetDrawFromBits(fromBits);
                dib.ReadData(stored);
                Target target(3, 2);
                target.bitmap.Canvas().Draw(0, 0, &dib);
                expectPart(target, std::string(fromBits ? "from bits" : "through the canvas") +
                                       (byRows ? ", row by row" : ""));
            }
        }
        TBitmap bitmap;
        TMemoryStream file;
        FillStream(file, bmp.File());
        bitmap.LoadFromStream(file);
        TDIB helper;
        helper.AssignBitmap(bitmap);
        Target target(3, 2);
        ASSERT_TRUE(helper.Draw(target.bitmap.Canvas(), RECT{0, 0, 3, 2}, part));
        expectPart(target, "DIB helper");
    }
}
