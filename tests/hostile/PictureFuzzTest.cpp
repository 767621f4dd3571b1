// A seeded, time-bounded robustness run of every picture parser over mutated inputs. Each input
// must load or fail with one of the framework's exceptions; none may crash, take long, or make
// the process's peak memory grow beyond what one picture may cost. A small raster image that
// loads is also drawn, and so is every metafile that loads (shrunk, and at its own size).
//
//   ZA2_FUZZ_SEED=n     another seed (the failing seed and case are printed on a failure)
//   ZA2_FUZZ_MS=n       run time per parser in milliseconds (default 1500)
//   ZA2_FUZZ_CASES=n    exactly n inputs per parser instead (the long run outside CI, e.g.
//                       ZA2_FUZZ_CASES=100000 ZA2_FUZZ_ONLY=metafile through cmake/wine-run)
//   ZA2_FUZZ_ONLY=text  only the parsers whose name contains text
//   ZA2_FUZZ_TRACE=1    print each case's number and keep its input in fuzz-input.bin
#include "support/BmpBuilder.h"
#include "support/JpegEncoder.h"
#include "support/MetafileBuilder.h"
#include "support/Mutator.h"
#include "support/ResFileBuilder.h"
#include "support/StreamBytes.h"
#include "support/TempFolder.h"
#include "imagepack/UResStream.h"
#include "bitmap/USafetyBitmap.h"
#include "dib/UDIBitmap.h"
#include "dib/UScreenColors.h"
#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Icon.h"
#include "framework/graphics/JPEGImage.h"
#include "framework/graphics/Metafile.h"
#include "framework/win32/GdiHandle.h"
#include "framework/core/Exception.h"
#include "framework/core/ImageSize.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kSlowInputMs = 2000;
constexpr int kDrawnSide = 64;   // larger images are loaded, not drawn
constexpr WORD kBitmapType = 2;  // RT_BITMAP as a resource file stores it
constexpr TByteCount kPeakAllowance = kMaxPictureMemory;

std::uint32_t Setting(const char* name, std::uint32_t fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? static_cast<std::uint32_t>(std::strtoul(v, nullptr, 0)) : fallback;
}

// The larger of the peaks of resident and committed memory since the process started.
TByteCount PeakMemory()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return std::max<TByteCount>(counters.PeakWorkingSetSize, counters.PeakPagefileUsage);
}

MutatedBytes AsBytes(const std::string& text)
{
    return MutatedBytes(text.begin(), text.end());
}

std::string AsText(const MutatedBytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

void DrawIfSmall(TGraphic& graphic)
{
    if (graphic.Empty() || graphic.Width() > kDrawnSide || graphic.Height() > kDrawnSide)
        return;
    TBitmap target;
    target.SetPixelFormat(TPixelFormat::Bit24);
    target.SetSize(8, 8);
    target.Canvas().StretchDraw(RECT{0, 0, 8, 8}, &graphic);
}

template <class Graphic>
bool LoadAndDraw(const std::string& data)
{
    TMemoryStream stream;
    FillStream(stream, data);
    Graphic graphic;
    graphic.LoadFromStream(stream);
    DrawIfSmall(graphic);
    return true;
}

// Seeds of the bitmap parsers.
TestBmp Bitfields(int width, int height, int bits, DWORD headerSize)
{
    TestBmp bmp(width, height, bits);
    bmp.info.biSize = headerSize;
    if (bits == 16)
        bmp.SetMasks(0xF800, 0x07E0, 0x001F);
    else
        bmp.SetMasks(0xFF, 0xFF00, 0xFF0000);
    for (int x = 0; x < width; ++x)
        bmp.SetValue(x, 0, 0xFFFFFFFF);
    return bmp;
}

TestBmp RunLengths(int bits)
{
    const int width = 11, height = 6, colors = 1 << bits;
    std::vector<std::vector<BYTE>> rows(height, std::vector<BYTE>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[y][x] = static_cast<BYTE>((x / 3 + y) % colors);
    TestBmp bmp(width, height, bits);
    if (bits == 8)
        bmp.EncodeRle8(rows);
    else
        bmp.EncodeRle4(rows);
    return bmp;
}

std::vector<std::string> PlainBmps()
{
    TestBmp shortTable(9, 4, 8);
    shortTable.colors.resize(16);
    shortTable.info.biClrUsed = 16;
    TestBmp topDown(5, -3, 24);
    return {TestBmp(7, 5, 24).File(), shortTable.File(), topDown.File(),
            Bitfields(6, 3, 16, 40).File(), Bitfields(5, 4, 32, 124).File()};
}

std::vector<std::string> RleBmps()
{
    return {RunLengths(8).File(), RunLengths(4).File()};
}

// Draws a little of everything a picture may hold onto a recording device context.
void DrawScene(HDC dc, bool enhanced)
{
    TOwnedPen pen(CreatePen(PS_DASH, 1, RGB(200, 0, 0)));
    TOwnedBrush hatch(CreateHatchBrush(HS_CROSS, RGB(0, 90, 0)));
    LOGFONTA face{};
    face.lfHeight = -9;
    TOwnedFont font(CreateFontIndirectA(&face));
    TOwnedRegion region(CreateEllipticRgn(2, 2, 20, 14));
    const std::string dib = SmallDib();
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    const POINT points[] = {{1, 1}, {30, 4}, {12, 18}, {3, 9}};
    const INT counts[] = {3, 1};
    SaveDC(dc);
    SelectObject(dc, pen.Get());
    SelectObject(dc, hatch.Get());
    SelectObject(dc, font.Get());
    Rectangle(dc, 0, 0, 20, 20);
    Ellipse(dc, 4, 4, 36, 18);
    Pie(dc, 2, 2, 30, 19, 0, 0, 30, 10);
    Polygon(dc, points, 4);
    PolyPolygon(dc, points, counts, 2);
    Polyline(dc, points, 3);
    TextOutA(dc, 3, 3, "Za2", 3);
    FillRgn(dc, region.Get(), hatch.Get());
    StretchDIBits(dc, 5, 5, 6, 4, 0, 0, 4, 2, dib.data() + info->bmiHeader.biSize, info,
                  DIB_RGB_COLORS, SRCCOPY);
    RestoreDC(dc, -1);
    if (!enhanced)
        return;
    BeginPath(dc);
    MoveToEx(dc, 1, 1, nullptr);
    PolyBezierTo(dc, points + 1, 3);
    EndPath(dc);
    StrokeAndFillPath(dc);
    SetGraphicsMode(dc, GM_ADVANCED);
    const XFORM turn{0.8f, 0.6f, -0.6f, 0.8f, 4, 2};
    SetWorldTransform(dc, &turn);
    RoundRect(dc, 0, 0, 12, 9, 4, 4);
}

std::string PlaceableMetafile(bool scene)
{
    HDC recorder = CreateMetaFileA(nullptr);
    SetWindowExtEx(recorder, 40, 20, nullptr);
    Rectangle(recorder, 0, 0, 20, 20);
    MoveToEx(recorder, 0, 0, nullptr);
    LineTo(recorder, 40, 20);
    if (scene)
        DrawScene(recorder, false);
    HMETAFILE recorded = CloseMetaFile(recorder);
    std::string bits(GetMetaFileBitsEx(recorded, 0, nullptr), '\0');
    GetMetaFileBitsEx(recorded, static_cast<UINT>(bits.size()), &bits[0]);
    DeleteMetaFile(recorded);
    const WORD placeable[11] = {0xCDD7, 0x9AC6, 0, 0, 0, 40, 20, 96, 0, 0, 0};
    return std::string(reinterpret_cast<const char*>(placeable), sizeof(placeable)) + bits;
}

std::string EnhancedMetafile(bool scene)
{
    RECT frame{0, 0, 1000, 500};
    HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
    Ellipse(recorder, 0, 0, 30, 15);
    if (scene)
        DrawScene(recorder, true);
    TOwnedEnhMetaFile made(CloseEnhMetaFile(recorder));
    std::string bits(GetEnhMetaFileBits(made.Get(), 0, nullptr), '\0');
    GetEnhMetaFileBits(made.Get(), static_cast<UINT>(bits.size()),
                       reinterpret_cast<BYTE*>(&bits[0]));
    return bits;
}

// The steering fields of a metafile: those of its header, and the first parameters of every
// record, which hold the counts, indexes, offsets and coordinates.
MutationSpots MetafileSpots(const std::string& seed, std::vector<size_t> header, size_t records,
                            bool enhanced)
{
    constexpr size_t kFirstFields = 48;
    const size_t step = enhanced ? 4 : 2, sizeUnit = enhanced ? 1 : 2;
    for (size_t at = records; at + 8 <= seed.size();) {
        DWORD size = 0;
        std::memcpy(&size, seed.data() + at + (enhanced ? 4 : 0), sizeof(size));
        size *= sizeUnit;
        if (size < 6)
            break;
        for (size_t field = enhanced ? 4 : 6; field < std::min<size_t>(size, kFirstFields); field += step)
            header.push_back(at + field);
        at += size;
    }
    return {header, 0, seed.size(), 1 << 16};
}

// Shrunk into a few pixels, and at its own size (of which the target keeps a corner).
void DrawMetafile(TGraphic& metafile)
{
    constexpr int kSmallSide = 8, kLargestSide = 256;
    TBitmap target;
    target.SetPixelFormat(TPixelFormat::Bit24);
    target.SetSize(kSmallSide, kSmallSide);
    target.Canvas().StretchDraw(RECT{0, 0, kSmallSide, kSmallSide}, &metafile);
    target.SetSize(std::min(metafile.Width(), kLargestSide), std::min(metafile.Height(), kLargestSide));
    target.Canvas().StretchDraw(RECT{0, 0, metafile.Width(), metafile.Height()}, &metafile);
}

bool LoadAndDrawMetafile(const std::string& data)
{
    TMemoryStream stream;
    FillStream(stream, data);
    TMetafile metafile;
    metafile.LoadFromStream(stream);
    DrawMetafile(metafile);
    return true;
}

std::string IconFile()
{
    TIcon icon;
    TOwnedBitmap color(CreateBitmap(16, 16, 1, 32, nullptr));
    TOwnedBitmap mask(CreateBitmap(16, 16, 1, 1, nullptr));
    ICONINFO info{TRUE, 0, 0, mask.Get(), color.Get()};
    icon.SetHandle(CreateIconIndirect(&info));
    TMemoryStream saved;
    icon.SaveToStream(saved);
    return StreamBytes(saved);
}

std::string RiffPalette()
{
    const int entries = 16;
    std::string data;
    auto dword = [&](DWORD v) { data.append(reinterpret_cast<const char*>(&v), 4); };
    data += "RIFF";
    dword(4 + 8 + 4 + 4 * entries);
    data += "PAL data";
    dword(4 + 4 * entries);
    const WORD head[2] = {0x300, entries};
    data.append(reinterpret_cast<const char*>(head), sizeof(head));
    for (int i = 0; i < entries; ++i)
        dword(RGB(i * 16, 255 - i * 16, i));
    return data;
}

std::string ResourceFile()
{
    return resfile::Start() +
           resfile::Entry(resfile::Id(kBitmapType), resfile::Id("OTHER"), "odd", 3) +
           resfile::Entry(resfile::Id("JPEG"), resfile::Id(7), std::string(9, 'j')) +
           resfile::Entry(resfile::Id(kBitmapType), resfile::Id("LOGO"),
                          TestBmp(4, 4, 8).Packed());
}

struct Parser {
    const char* name;
    std::vector<std::string> seeds;
    MutationSpots spots;
    // Whether the input was taken (or refused without an exception, as a palette file can be).
    std::function<bool(const std::string&)> parse;
};

std::vector<Parser> Parsers(const TempFolder& folder)
{
    // BMP: bfSize, bfOffBits, biSize, biWidth, biHeight, biSizeImage, biClrUsed, first mask.
    const MutationSpots bmp{{2, 10, 14, 18, 22, 34, 46, 54}, 0, 60, 1 << 16};
    const MutationSpots packed{{0, 4, 8, 20, 32, 40}, 0, 46, 1 << 16};
    const MutationSpots container{{13}, 17, 16, 1 << 20};
    const MutationSpots stored{{0, 6, 14, 18, 22, 26, 38, 50}, 0, 64, 1 << 16};
    const MutationSpots resFile{{0, 4, 32, 36}, 0, 96, 1 << 12};
    const MutationSpots riff{{4, 16, 20}, 0, 32, 1 << 12};
    const MutationSpots jpeg{{}, 0, 200, 1};
    const MutationSpots icon{{6, 14, 18, 22, 26, 30, 42}, 0, 64, 1 << 12};
    const std::string windowsScene = PlaceableMetafile(true), enhancedScene = EnhancedMetafile(true);
    // Placeable frame and inch; the header's size, object count and largest record.
    const MutationSpots windows = MetafileSpots(windowsScene, {10, 14, 28, 32, 34}, 40, false);
    // Bounds, frame, size, record count, handles, device and millimetre sizes.
    const MutationSpots enhanced =
        MetafileSpots(enhancedScene, {8, 16, 24, 28, 32, 36, 48, 52, 56, 72, 76, 80, 84},
                      reinterpret_cast<const ENHMETAHEADER*>(enhancedScene.data())->nSize, true);
    auto toPacked = [](std::vector<std::string> files) {
        for (auto& file : files)
            file.erase(0, sizeof(BITMAPFILEHEADER));
        return files;
    };
    auto withLength = [](std::vector<std::string> files) {
        for (auto& file : files) {
            const LONG length = static_cast<LONG>(file.size());
            file.insert(0, reinterpret_cast<const char*>(&length), sizeof(length));
        }
        return files;
    };
    std::vector<std::string> all = PlainBmps();
    for (const auto& rle : RleBmps())
        all.push_back(rle);
    const std::string resPath = folder.File("fuzz.res");
    return {
        {"plain BMP", PlainBmps(), bmp, LoadAndDraw<TSafetyBitmap>},
        {"RLE BMP", RleBmps(), bmp, LoadAndDraw<TSafetyBitmap>},
        {"compressed bitmap",
         {CompressedContainer(RunLengths(8).File()), CompressedContainer(PlainBmps()[1])},
         container, LoadAndDraw<TSafetyBitmap>},
        {"stored bitmap data", withLength(all), stored,
         [](const std::string& data) {
             TMemoryStream stream;
             FillStream(stream, data);
             TSafetyBitmap bitmap;
             bitmap.ReadData(stream);
             DrawIfSmall(bitmap);
             return true;
         }},
        {"DIB from a BMP file", all, bmp, LoadAndDraw<TDIBitmap>},
        {"packed DIB from global memory", toPacked(all), packed,
         [](const std::string& data) {
             HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, std::max<size_t>(data.size(), 1));
             std::copy(data.begin(), data.end(), static_cast<char*>(GlobalLock(memory)));
             GlobalUnlock(memory);
             TDIBitmap dib;
             try {
                 dib.LoadFromClipboardFormat(CF_DIB, memory, nullptr);
             } catch (...) {
                 GlobalFree(memory);
                 throw;
             }
             GlobalFree(memory);
             DrawIfSmall(dib);
             return true;
         }},
        {".res walk", {ResourceFile()}, resFile,
         [&folder, resPath](const std::string& data) {
             folder.Write("fuzz.res", data);
             TMemoryStream found;
             ReadResourceFromFile(found, resPath, RT_BITMAP, "LOGO");
             return true;
         }},
        {"RIFF palette", {RiffPalette()}, riff,
         [](const std::string& data) {
             TMemoryStream stream;
             FillStream(stream, data);
             TOwnedPalette palette(ReadRiffPalette(stream));
             return palette.Get() != nullptr;
         }},
        {"JPEG",
         {EncodeJpeg(16, 8, JpegColours::Rgb, [](int x, int y) { return RGB(x * 16, y * 30, 99); }),
          EncodeJpeg(9, 9, JpegColours::Grey, [](int x, int) { return RGB(x * 28, 0, 0); })},
         jpeg, LoadAndDraw<TJPEGImage>},
        {"icon", {IconFile()}, icon, LoadAndDraw<TIcon>},
        {"Windows metafile", {PlaceableMetafile(false), windowsScene}, windows, LoadAndDrawMetafile},
        {"enhanced metafile", {EnhancedMetafile(false), enhancedScene}, enhanced, LoadAndDrawMetafile},
    };
}

}  // namespace

TEST(PictureFuzz, MutatedInputsLoadOrFailWithoutCrashDelayOrOverBudgetMemory)
{
    const std::uint32_t seed = Setting("ZA2_FUZZ_SEED", 20000115);
    const std::uint32_t runMs = Setting("ZA2_FUZZ_MS", 1500);
    const std::uint32_t fixedCases = Setting("ZA2_FUZZ_CASES", 0);
    TempFolder folder;
    const TByteCount baseline = PeakMemory();
    const char* only = std::getenv("ZA2_FUZZ_ONLY");
    for (const Parser& parser : Parsers(folder)) {
        if (only && *only && !std::strstr(parser.name, only))
            continue;
        for (const std::string& unchanged : parser.seeds)   // the seeds themselves load
            EXPECT_NO_THROW(parser.parse(unchanged)) << parser.name;
        Rng rng(seed);
        const DWORD start = GetTickCount();
        unsigned cases = 0, loaded = 0, refused = 0;
        DWORD slowest = 0;
        for (;; ++cases) {
            if (fixedCases ? cases >= fixedCases : GetTickCount() - start >= runMs)
                break;
            MutatedBytes input =
                AsBytes(parser.seeds[rng.Below(static_cast<std::uint32_t>(parser.seeds.size()))]);
            Mutate(input, rng, parser.spots);
            SCOPED_TRACE(std::string(parser.name) + ", seed " + std::to_string(seed) + ", case " +
                         std::to_string(cases));
            if (std::getenv("ZA2_FUZZ_TRACE")) {
                // The input under way is in fuzz-input.bin when a run hangs or crashes.
                std::printf("%u\n", cases);
                std::fflush(stdout);
                std::ofstream("fuzz-input.bin", std::ios::binary | std::ios::trunc)
                    .write(reinterpret_cast<const char*>(input.data()),
                           static_cast<std::streamsize>(input.size()));
            }
            const DWORD began = GetTickCount();
            try {
                if (parser.parse(AsText(input)))
                    ++loaded;
                else
                    ++refused;
            } catch (const Exception&) {
                ++refused;
            }
            const DWORD took = GetTickCount() - began;
            slowest = std::max(slowest, took);
            ASSERT_LT(took, kSlowInputMs);
        }
        const TByteCount peak = PeakMemory();
        std::printf("picture fuzz: %-30s %7u inputs in %6lu ms: %u loaded, %u refused; slowest "
                    "%lu ms; peak memory %llu MB above the start\n",
                    parser.name, cases, static_cast<unsigned long>(GetTickCount() - start), loaded,
                    refused, static_cast<unsigned long>(slowest),
                    (peak > baseline ? peak - baseline : 0) >> 20);
        EXPECT_LE(peak, baseline + kPeakAllowance) << parser.name;
        EXPECT_GT(loaded, 0u) << parser.name;
        EXPECT_GT(refused, 0u) << parser.name;
    }
}
