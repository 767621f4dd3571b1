// The safety bitmap: masked drawing on screens and printers, the mask cache, tolerant loading of
// damaged, run-length and compressed bitmaps, and the palette adjustment after every load.
#include "support/BmpBuilder.h"
#include "support/StreamBytes.h"
#include "support/TempFolder.h"
#include "bitmap/USafetyBitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Palette.h"
#include "framework/graphics/Picture.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ResText.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBackground = RGB(10, 200, 30);
constexpr COLORREF kRGBMask = 0xFFFFFF;

template <class F>
void ExpectInvalid(F&& action)
{
    try {
        action();
        ADD_FAILURE() << "no EInvalidGraphic";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(LoadResText(SInvalidImage), e.Message());
    }
}

void Load(TBitmap& bitmap, const std::string& bytes)
{
    TMemoryStream stream;
    FillStream(stream, bytes);
    bitmap.LoadFromStream(stream);
}

// A 24-bit framework bitmap filled with a background colour, to draw on and read back.
class Target {
public:
    Target(int width, int height, COLORREF background = kBackground)
    {
        bitmap.SetPixelFormat(TPixelFormat::Bit24);
        bitmap.SetSize(width, height);
        bitmap.Canvas().Brush().SetColor(background);
        bitmap.Canvas().FillRect(RECT{0, 0, width, height});
    }
    COLORREF At(int x, int y) { return bitmap.Canvas().Pixel(x, y) & kRGBMask; }
    TBitmap bitmap;
};

COLORREF Pattern(int x, int y)
{
    return RGB(x * 20 % 256, y * 40 % 256, 90);
}

COLORREF TableColor(const TestBmp& bmp, int index)
{
    const RGBQUAD& c = bmp.colors[index];
    return RGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}

// Draws bitmap at (0, 0) on a fresh target and returns its pixels row by row.
std::vector<COLORREF> Drawn(TBitmap& bitmap, COLORREF background = kBackground)
{
    Target target(bitmap.Width(), bitmap.Height(), background);
    target.bitmap.Canvas().Draw(0, 0, &bitmap);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            pixels.push_back(target.At(x, y));
    return pixels;
}

// An 8-bit image with a colourful table (distinct entries) and pixels (x + 3y) mod count.
TestBmp Indexed8(int width, int height, int tableSize)
{
    TestBmp bmp(width, height, 8);
    bmp.colors.resize(tableSize);
    for (int i = 0; i < tableSize; ++i)
        bmp.colors[i] = RGBQUAD{static_cast<BYTE>(i * 7), static_cast<BYTE>(255 - i),
                                static_cast<BYTE>(i * 13 % 256), 0};
    bmp.colors[0] = RGBQUAD{0, 0, 0, 0};
    bmp.colors[tableSize - 1] = RGBQUAD{255, 255, 255, 0};
    if (tableSize != 256)
        bmp.info.biClrUsed = tableSize;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bmp.SetIndex(x, y, (x + 3 * y) % tableSize);
    return bmp;
}

void ExpectColoursOfTable(TBitmap& bitmap, const TestBmp& bmp, int tableSize)
{
    std::vector<COLORREF> pixels = Drawn(bitmap);
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            ASSERT_EQ(TableColor(bmp, (x + 3 * y) % tableSize), pixels[y * bitmap.Width() + x])
                << "at " << x << "," << y;
}

std::vector<std::vector<BYTE>> IndexRows(int width, int height, int colors)
{
    std::vector<std::vector<BYTE>> rows(height, std::vector<BYTE>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[y][x] = static_cast<BYTE>((x + 3 * y) % colors);
    return rows;
}

// A 24- or 32-bit image: red in the left half, blue in the right half.
TestBmp RedAndBlue(int width, int height, int bits)
{
    TestBmp bmp(width, height, bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bmp.SetColor(x, y, x < width / 2 ? kRed : kBlue);
    return bmp;
}

// A canvas over a target's DC that fails its n-th drawing step.
class FailingCanvas : public TCanvas {
public:
    FailingCanvas(HDC dc, int allowed) : allowed_(allowed) { SetHandle(dc); }
    ~FailingCanvas() override { SetHandle(nullptr); }

protected:
    void Changing() override
    {
        if (allowed_-- <= 0)
            throw EInvalidOperation("drawing refused");
    }

private:
    int allowed_;
};

// A PostScript printer installed for one test (driver, PPD file and printer) and removed
// afterwards, with a DC printing into a temporary file. dc is 0 when the system refuses.
class TestPrinter {
public:
    TestPrinter()
    {
        DWORD needed = 0;
        char dir[MAX_PATH] = {};
        if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir),
                                        sizeof(dir), &needed))
            return;
        ppd_ = std::string(dir) + "\\za2test.ppd";
        CreateDirectoryA(dir, nullptr);
        HANDLE file = CreateFileA(ppd_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        DWORD written = 0;
        WriteFile(file, kPpd, sizeof(kPpd) - 1, &written, nullptr);
        CloseHandle(file);
        DRIVER_INFO_3A driver{};
        driver.cVersion = 3;
        driver.pName = const_cast<char*>(kDriver);
        driver.pDriverPath = const_cast<char*>("wineps.drv");
        driver.pConfigFile = const_cast<char*>("wineps.drv");
        driver.pDataFile = &ppd_[0];
        driver.pDefaultDataType = const_cast<char*>("RAW");
        for (const char* environment : {"Windows 4.0", "Windows NT x86"}) {
            driver.pEnvironment = const_cast<char*>(environment);
            AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                                APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY);
        }
        PRINTER_INFO_2A info{};
        info.pPrinterName = const_cast<char*>(kPrinter);
        info.pPortName = const_cast<char*>("FILE:");
        info.pDriverName = const_cast<char*>(kDriver);
        info.pPrintProcessor = const_cast<char*>("WinPrint");
        info.pDatatype = const_cast<char*>("RAW");
        printer_ = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
        if (!printer_)
            return;
        dc = CreateDCA("WINSPOOL", kPrinter, nullptr, nullptr);
        if (dc && GetDeviceCaps(dc, TECHNOLOGY) != DT_RASPRINTER) {
            DeleteDC(dc);
            dc = nullptr;
        }
        if (!dc)
            return;
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof(temp), temp);
        output_ = std::string(temp) + "za2print.ps";
        DOCINFOA document{};
        document.cbSize = sizeof(document);
        document.lpszDocName = "safety bitmap";
        document.lpszOutput = output_.c_str();
        if (StartDocA(dc, &document) <= 0) {
            DeleteDC(dc);
            dc = nullptr;
        }
    }
    ~TestPrinter()
    {
        if (dc) {
            EndDoc(dc);
            DeleteDC(dc);
            DeleteFileA(output_.c_str());
        }
        if (printer_) {
            DeletePrinter(printer_);
            ClosePrinter(printer_);
        }
        DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(kDriver));
        if (!ppd_.empty())
            DeleteFileA(ppd_.c_str());
    }
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;

    HDC dc = nullptr;

private:
    static constexpr const char* kDriver = "ZA2 Test Driver";
    static constexpr const char* kPrinter = "ZA2 Test Printer";
    static constexpr char kPpd[] =
        "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
        "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n*PCFileName: \"ZA2TEST.PPD\"\n"
        "*Manufacturer: \"Test\"\n*Product: \"(Test)\"\n*PSVersion: \"(3010.000) 0\"\n"
        "*ModelName: \"Test Printer\"\n*ShortNickName: \"Test Printer\"\n"
        "*NickName: \"Test Printer\"\n*LanguageLevel: \"3\"\n*ColorDevice: True\n"
        "*DefaultColorSpace: RGB\n*DefaultResolution: 300dpi\n"
        "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n"
        "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n*CloseUI: *PageSize\n"
        "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"18 36 577 806\"\n"
        "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n";

    HANDLE printer_ = nullptr;
    std::string ppd_;
    std::string output_;
};

}  // namespace

// ---- drawing ----

TEST(SafetyBitmapDraw, OpaqueDrawingEqualsTheBaseClass)
{
    for (const std::string& file : {Indexed8(9, 5, 256).File(), RedAndBlue(9, 5, 24).File()}) {
        TSafetyBitmap safety;
        TBitmap plain;
        Load(safety, file);
        Load(plain, file);
        EXPECT_EQ(Drawn(plain), Drawn(safety));
        EXPECT_EQ(0, safety.MaskBuildCount()) << "opaque drawing leaves the cache alone";
    }
}

TEST(SafetyBitmapDraw, EightBitTransparencyNeedsAnExactPaletteEntry)
{
    TestBmp bmp = Indexed8(8, 4, 256);
    bmp.colors[5] = RGBQUAD{0, 0, 255, 0};   // red
    TSafetyBitmap bitmap;
    Load(bitmap, bmp.File());
    bitmap.SetTransparent(true);
    bitmap.SetTransparentColor(kRed);
    std::vector<COLORREF> pixels = Drawn(bitmap);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            int index = (x + 3 * y) % 256;
            COLORREF expected = index == 5 ? kBackground : TableColor(bmp, index);
            ASSERT_EQ(expected, pixels[y * 8 + x]) << "at " << x << "," << y;
        }

    bitmap.SetTransparentColor(RGB(254, 0, 0));   // only near the red entry
    pixels = Drawn(bitmap);
    EXPECT_EQ(kRed, pixels[5]) << "no pixel is transparent";
}

TEST(SafetyBitmapDraw, TrueColourRedIsTransparentAndBlueOpaque)
{
    struct Case {
        int width, bits;
    };
    for (Case c : {Case{6, 24}, Case{6, 32}, Case{7, 24}, Case{2, 24}}) {
        TSafetyBitmap bitmap;
        Load(bitmap, RedAndBlue(c.width, 3, c.bits).File());
        bitmap.SetTransparent(true);
        bitmap.SetTransparentColor(kRed);
        std::vector<COLORREF> pixels = Drawn(bitmap);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(x < c.width / 2 ? kBackground : kBlue, pixels[y * c.width + x])
                    << c.bits << " bits, width " << c.width << ", at " << x << "," << y;
    }
}

TEST(SafetyBitmapDraw, OnePixelWideImageBuildsItsMask)
{
    TestBmp bmp(1, 3, 24);
    bmp.SetColor(0, 0, kBlue);
    bmp.SetColor(0, 1, kRed);
    bmp.SetColor(0, 2, kBlue);
    TSafetyBitmap bitmap;
    Load(bitmap, bmp.File());
    bitmap.SetTransparent(true);
    bitmap.SetTransparentColor(kRed);
    EXPECT_EQ((std::vector<COLORREF>{kBlue, kBackground, kBlue}), Drawn(bitmap));
    EXPECT_EQ(1, bitmap.Mask().Width());
    EXPECT_TRUE(bitmap.Mask().Monochrome());
}

TEST(SafetyBitmapDraw, MaskIsBuiltOnceUntilTheImageChanges)
{
    TSafetyBitmap bitmap;
    Load(bitmap, RedAndBlue(6, 3, 24).File());
    bitmap.SetTransparent(true);
    bitmap.SetTransparentColor(kRed);
    Drawn(bitmap);
    Drawn(bitmap);
    EXPECT_EQ(1, bitmap.MaskBuildCount());
    EXPECT_FALSE(bitmap.MaskChanged());
    EXPECT_FALSE(bitmap.ImageChanged());

    bitmap.SetTransparentColor(kBlue);
    EXPECT_TRUE(bitmap.MaskChanged());
    EXPECT_EQ(kBackground, Drawn(bitmap)[5]);
    EXPECT_EQ(2, bitmap.MaskBuildCount());

    bitmap.Canvas().SetPixel(0, 0, kBlue);
    EXPECT_EQ(kBackground, Drawn(bitmap)[0]);
    EXPECT_EQ(3, bitmap.MaskBuildCount());

    Load(bitmap, RedAndBlue(4, 2, 24).File());
    Drawn(bitmap);
    EXPECT_EQ(4, bitmap.MaskBuildCount());
}

TEST(SafetyBitmapDraw, AssignCarriesTheCacheFromSafetyBitmapsOnly)
{
    TSafetyBitmap source;
    Load(source, RedAndBlue(6, 3, 24).File());
    source.SetTransparent(true);
    source.SetTransparentColor(kRed);
    Drawn(source);

    TSafetyBitmap copy;
    copy.Assign(&source);
    EXPECT_FALSE(copy.MaskChanged());
    EXPECT_EQ(6, copy.Mask().Width());
    EXPECT_EQ(Drawn(source), Drawn(copy));
    EXPECT_EQ(0, copy.MaskBuildCount());

    TBitmap plain;
    Load(plain, RedAndBlue(4, 2, 24).File());
    copy.Assign(&plain);
    EXPECT_TRUE(copy.MaskChanged());
    EXPECT_TRUE(copy.ImageChanged());
}

TEST(SafetyBitmapDraw, CanvasStateComesBackAfterAFailingDraw)
{
    TSafetyBitmap bitmap;
    Load(bitmap, RedAndBlue(6, 3, 24).File());
    bitmap.SetTransparent(true);
    bitmap.SetTransparentColor(kRed);
    Target target(6, 3);
    HDC dc = target.bitmap.Canvas().Handle();
    const COLORREF background = RGB(1, 2, 3), text = RGB(4, 5, 6);
    // Steps: the canvas's own, the state guard, the stretch mode, the mask pass, the image
    // pass (two).
    for (int allowed = 0; allowed < 6; ++allowed) {
        FailingCanvas canvas(dc, allowed);
        canvas.SetCopyMode(SRCINVERT);
        SetBkColor(dc, background);
        SetTextColor(dc, text);
        EXPECT_THROW(canvas.StretchDraw(RECT{0, 0, 6, 3}, &bitmap), EInvalidOperation) << allowed;
        EXPECT_EQ(static_cast<DWORD>(SRCINVERT), canvas.CopyMode());
        EXPECT_EQ(background, GetBkColor(dc));
        EXPECT_EQ(text, GetTextColor(dc));
    }
}

TEST(SafetyBitmapDraw, PrinterRouteDrawsOnAPrinterDevice)
{
    TestPrinter installed;
    HDC printer = installed.dc;
    if (!printer) {
        GTEST_SKIP() << "no PostScript printer could be installed on this system";
    }
    for (bool transparent : {false, true}) {
        TSafetyBitmap bitmap;
        Load(bitmap, RedAndBlue(40, 30, 24).File());
        bitmap.SetTransparent(transparent);
        bitmap.SetTransparentColor(kRed);
        StartPage(printer);
        {
            TCanvas canvas;
            TCanvasDCScope scope(canvas, printer);
            canvas.SetCopyMode(SRCCOPY);
            COLORREF background = GetBkColor(printer);
            canvas.StretchDraw(RECT{100, 100, 500, 400}, &bitmap);
            // Far larger than the image: a driver may refuse it in one piece.
            canvas.StretchDraw(RECT{0, 0, 4000, 3000}, &bitmap);
            EXPECT_EQ(static_cast<DWORD>(SRCCOPY), canvas.CopyMode());
            EXPECT_EQ(background, GetBkColor(printer));
        }
        EndPage(printer);
        EXPECT_EQ(transparent ? 1 : 0, bitmap.MaskBuildCount());
    }
}

// ---- loading ----

TEST(SafetyBitmapLoad, EmptyStreamGivesAnEmptyBitmap)
{
    TSafetyBitmap bitmap;
    Load(bitmap, RedAndBlue(4, 2, 24).File());
    Load(bitmap, "");
    EXPECT_TRUE(bitmap.Empty());
}

TEST(SafetyBitmapLoad, WrongImageSizesAreRepairedAndEveryRowLoads)
{
    for (DWORD sizeImage : {0u, 8u, 5000u}) {
        TestBmp bmp(5, 4, 24);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x)
                bmp.SetColor(x, y, Pattern(x, y));
        bmp.info.biSizeImage = sizeImage;
        TMemoryStream stream;
        FillStream(stream, bmp.File());
        DWORD colors = 99;
        EXPECT_TRUE(TSafetyBitmap::NeedsRepair(stream, colors));
        EXPECT_EQ(0u, colors) << "no colour-table change for 24 bits";
        EXPECT_EQ(0, stream.Position());
        TSafetyBitmap bitmap;
        bitmap.LoadFromStream(stream);
        std::vector<COLORREF> pixels = Drawn(bitmap);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x)
                ASSERT_EQ(Pattern(x, y), pixels[y * 5 + x]) << sizeImage << " at " << x << "," << y;
    }
}

TEST(SafetyBitmapLoad, ShortColourTableIsWidenedWithoutShiftingThePixels)
{
    TestBmp bmp = Indexed8(7, 3, 16);
    TMemoryStream stream;
    FillStream(stream, bmp.File());
    DWORD colors = 0;
    EXPECT_TRUE(TSafetyBitmap::NeedsRepair(stream, colors));
    EXPECT_EQ(256u, colors);
    TSafetyBitmap bitmap;
    bitmap.LoadFromStream(stream);
    EXPECT_EQ(TPixelFormat::Bit8, bitmap.PixelFormat());
    EXPECT_EQ(256, PaletteEntryCount(bitmap.Palette()));
    ExpectColoursOfTable(bitmap, bmp, 16);
}

TEST(SafetyBitmapLoad, RunLengthBitmapsKeepTheirDepthAndPalette)
{
    struct Case {
        int bits, tableSize;
        bool clrUsed;
    };
    for (Case c : {Case{8, 256, false}, Case{8, 20, true}, Case{4, 16, false}, Case{4, 9, true}}) {
        TestBmp bmp = Indexed8(11, 5, c.tableSize);
        bmp.info.biBitCount = static_cast<WORD>(c.bits);
        bmp.info.biClrUsed = c.clrUsed ? c.tableSize : 0;
        if (c.bits == 8)
            bmp.EncodeRle8(IndexRows(11, 5, c.tableSize));
        else
            bmp.EncodeRle4(IndexRows(11, 5, c.tableSize));
        TMemoryStream stream;
        FillStream(stream, bmp.File());
        EXPECT_TRUE(TSafetyBitmap::IsRLEBitmap(stream));
        TSafetyBitmap bitmap;
        bitmap.LoadFromStream(stream);
        EXPECT_EQ(c.bits == 8 ? TPixelFormat::Bit8 : TPixelFormat::Bit4, bitmap.PixelFormat());
        EXPECT_EQ(c.bits == 8 ? 256 : 16, PaletteEntryCount(bitmap.Palette()))
            << c.bits << " bits, " << c.tableSize << " colours";
        ExpectColoursOfTable(bitmap, bmp, c.tableSize);
    }
}

TEST(SafetyBitmapLoad, CompressedBitmapsAreDecodedAndRepairedAlike)
{
    TestBmp rle = Indexed8(10, 4, 256);
    rle.EncodeRle8(IndexRows(10, 4, 256));
    TestBmp damaged = Indexed8(10, 4, 16);
    damaged.info.biSizeImage = 3;
    for (const TestBmp* bmp : {&rle, &damaged}) {
        TSafetyBitmap bitmap;
        Load(bitmap, CompressedContainer(bmp->File()));
        EXPECT_EQ(10, bitmap.Width());
        ExpectColoursOfTable(bitmap, *bmp, bmp == &rle ? 256 : 16);

        TMemoryStream saved;
        bitmap.SaveToStream(saved);
        std::string bytes = StreamBytes(saved);
        ASSERT_GT(bytes.size(), 54u);
        EXPECT_EQ("BM", bytes.substr(0, 2)) << "saved as a plain BMP";
        DWORD compression = 0;
        std::memcpy(&compression, bytes.data() + 30, sizeof(compression));
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), compression);
    }
}

TEST(SafetyBitmapLoad, BitmapInTheMiddleOfAStreamIsReadFromItsPosition)
{
    TestBmp plain = Indexed8(6, 3, 256);
    TestBmp rle = Indexed8(6, 3, 256);
    rle.EncodeRle8(IndexRows(6, 3, 256));
    for (const TestBmp* bmp : {&plain, &rle}) {
        TMemoryStream stream;
        FillStream(stream, "prefix" + bmp->File() + "suffix");
        stream.SetPosition(6);
        TSafetyBitmap bitmap;
        bitmap.LoadFromStream(stream);
        EXPECT_EQ(6, bitmap.Width());
        ExpectColoursOfTable(bitmap, *bmp, 256);

        // A file stream: its bytes are copied before decoding.
        TempFolder folder;
        folder.Write("picture.bmp", "prefix" + bmp->File());
        TFileStream file(folder.File("picture.bmp"), TFileStream::Mode::OpenRead);
        file.SetPosition(6);
        TSafetyBitmap fromFile;
        fromFile.LoadFromStream(file);
        ExpectColoursOfTable(fromFile, *bmp, 256);
    }
}

TEST(SafetyBitmapLoad, StoredDataConsumesItsLengthAndWhatItPrefixes)
{
    std::string file = RedAndBlue(4, 2, 24).File();
    LONG length = static_cast<LONG>(file.size());
    std::string stored(reinterpret_cast<const char*>(&length), sizeof(length));
    stored += file;

    TMemoryStream followed;
    FillStream(followed, stored + "next property");
    TSafetyBitmap bitmap;
    bitmap.ReadData(followed);
    EXPECT_EQ(4, bitmap.Width());
    EXPECT_EQ(static_cast<long>(4 + file.size()), followed.Position());

    TMemoryStream atEnd;
    FillStream(atEnd, stored);
    TSafetyBitmap last;
    last.ReadData(atEnd);
    EXPECT_EQ(2, last.Height());

    LONG none = 0;
    TMemoryStream empty;
    FillStream(empty, std::string(reinterpret_cast<const char*>(&none), 4) + "more");
    last.ReadData(empty);
    EXPECT_TRUE(last.Empty());
    EXPECT_EQ(4, empty.Position());
}

TEST(SafetyBitmapLoad, PaletteIsArrangedWithBlackFirstAndWhiteLast)
{
    TestBmp bmp = Indexed8(8, 4, 256);
    bmp.colors[0] = RGBQUAD{40, 40, 40, 0};
    bmp.colors[5] = RGBQUAD{0, 0, 0, 0};         // black
    bmp.colors[255] = RGBQUAD{30, 60, 90, 0};
    bmp.colors[200] = RGBQUAD{255, 255, 255, 0}; // white
    TSafetyBitmap bitmap;
    Load(bitmap, bmp.File());
    PALETTEENTRY first{}, last{};
    GetPaletteEntries(bitmap.Palette(), 0, 1, &first);
    GetPaletteEntries(bitmap.Palette(), 255, 1, &last);
    EXPECT_EQ(0, first.peRed + first.peGreen + first.peBlue);
    EXPECT_EQ(255 * 3, last.peRed + last.peGreen + last.peBlue);
    ExpectColoursOfTable(bitmap, bmp, 256);

    TestBmp ordered = Indexed8(8, 4, 256);
    TSafetyBitmap unchanged;
    Load(unchanged, ordered.File());
    PALETTEENTRY entry{};
    GetPaletteEntries(unchanged.Palette(), 1, 1, &entry);
    EXPECT_EQ(ordered.colors[1].rgbRed, entry.peRed) << "palette kept as it was";
}

TEST(SafetyBitmapLoad, HeaderValuesPointingOutsideTheDataAreRefused)
{
    TSafetyBitmap bitmap;
    // A colour-table repair whose pixel data would start beyond the file.
    TestBmp shortTable = Indexed8(6, 3, 16);
    std::string file = shortTable.File();
    DWORD beyond = static_cast<DWORD>(file.size() + 100);
    std::memcpy(&file[10], &beyond, 4);
    SCOPED_TRACE("repair");
    ExpectInvalid([&] { Load(bitmap, file); });

    TestBmp rle = Indexed8(6, 3, 256);
    rle.EncodeRle8(IndexRows(6, 3, 256));
    std::string rleFile = rle.File();
    std::string offBits = rleFile;
    DWORD rleBeyond = static_cast<DWORD>(rleFile.size() + 1);
    std::memcpy(&offBits[10], &rleBeyond, 4);
    SCOPED_TRACE("run lengths beyond");
    ExpectInvalid([&] { Load(bitmap, offBits); });

    std::string tooMany = rleFile;
    DWORD colours = 300;
    std::memcpy(&tooMany[46], &colours, 4);
    SCOPED_TRACE("300 colours");
    ExpectInvalid([&] { Load(bitmap, tooMany); });

    std::string longData = rleFile;
    DWORD size = static_cast<DWORD>(rle.pixels.size() + 1);
    std::memcpy(&longData[34], &size, 4);
    SCOPED_TRACE("long data");
    ExpectInvalid([&] { Load(bitmap, longData); });
}

TEST(SafetyBitmapLoad, FormatsAreRegisteredAndRemoved)
{
    RegisterSafetyBitmapFormats();
    EXPECT_EQ(GraphicFactory<TSafetyBitmap>(), TPicture::FileFormatFactory("bmp"));
    EXPECT_EQ(GraphicFactory<TSafetyBitmap>(), TPicture::FileFormatFactory("CBM"));
    bool described = false;
    for (const TFileFormat& format : TPicture::FileFormats())
        described |= format.extension == "CBM" && format.description == "Compressed Bitmaps";
    EXPECT_TRUE(described);
    UnregisterSafetyBitmapFormats();
    EXPECT_EQ(nullptr, TPicture::FileFormatFactory("CBM"));
}
