// Metafiles whose records GDI would play to a crash, a hang or a huge allocation: one table of
// crafted records a family, each refused on load with the invalid-metafile message, and small
// valid pictures of the same records that still load and draw.
#include "support/DrawTarget.h"
#include "support/MetafileBuilder.h"
#include "support/StreamBytes.h"
#include "framework/graphics/Metafile.h"
#include "framework/core/Exception.h"
#include "framework/core/FrameworkStrings.h"
#include "framework/core/ResText.h"
#include "framework/core/Stream.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using emf::Record;
constexpr COLORREF kWhite = RGB(255, 255, 255), kBlue = RGB(0, 0, 255);
constexpr DWORD kStockBlackBrush = ENHMETA_STOCK_OBJECT | BLACK_BRUSH;

struct Case {
    const char* name;
    std::string data;
};

DWORD F(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

// Region data of count rectangles, of which the record holds only the first `held`.
std::string Region(DWORD count, DWORD held)
{
    std::string data = Record(0, {32, RDH_RECTANGLES, count, count * 16, 0, 0, 8, 8}).substr(8);
    for (DWORD i = 0; i < held; ++i)
        data += Record(0, {i, 0, i + 1, 8}).substr(8);
    return data;
}

// At (at, at).
std::string Text(DWORD chars, DWORD held, LONG at = 10)
{
    const DWORD spacing = 76 + (held * 2 + 3) / 4 * 4;
    return Record(EMR_EXTTEXTOUTW, {0, 0, 0, 0, GM_COMPATIBLE, F(1), F(1), DWORD(at), DWORD(at), chars, 76, 0,
                                    0, 0, 0, 0, spacing},
                  std::string((held * 2 + 3) / 4 * 4, 'A') + std::string(held * 4, '\x05'));
}

std::string Font(LONG height)
{
    LOGFONTW font{};
    font.lfHeight = height;
    return Record(EMR_EXTCREATEFONTINDIRECTW, {1},
                  std::string(reinterpret_cast<const char*>(&font), sizeof(font)));
}

// A blit of SmallDib: offsets and sizes of its header and bits as given.
std::string Blit(DWORD offBmi, DWORD cbBmi, DWORD offBits, DWORD cbBits, const std::string& dib)
{
    return Record(EMR_BITBLT, {0, 0, 0, 0, 0, 0, 4, 2, SRCCOPY, 0, 0, F(1), 0, 0, F(1), 0, 0, 0,
                               DIB_RGB_COLORS, offBmi, cbBmi, offBits, cbBits}, dib);
}

std::string HugeRunLengthDib()
{
    BITMAPINFOHEADER info{sizeof(info), 30000, 30000, 1, 8, BI_RLE8, 2, 0, 0, 0, 0};
    return std::string(reinterpret_cast<const char*>(&info), sizeof(info)) + std::string(1024, '\0') +
           std::string("\0\1\0\0", 4);
}

std::string BrushAndBox()
{
    return Record(EMR_CREATEBRUSHINDIRECT, {1, BS_SOLID, kBlue, 0}) + Record(EMR_SELECTOBJECT, {1}) +
           Record(EMR_RECTANGLE, {0, 0, 80, 40});
}

std::vector<Case> RefusedEnhanced()
{
    using emf::Metafile;
    const std::string dib = SmallDib();
    const std::string paletteEntries = Record(EMR_SETPALETTEENTRIES, {1, 0, 1, 0});
    return {
        {"select beyond the handle table", Metafile({Record(EMR_SELECTOBJECT, {4})})},
        {"delete a stock object", Metafile({Record(EMR_DELETEOBJECT, {kStockBlackBrush})})},
        {"brush created beyond the table", Metafile({Record(EMR_CREATEBRUSHINDIRECT, {9, 0, 0, 0})})},
        {"brush naming process memory",
         Metafile({Record(EMR_CREATEBRUSHINDIRECT, {1, BS_DIBPATTERNPT, 0, 0x1234})})},
        {"palette entries written", Metafile({Record(EMR_CREATEPALETTE, {1, 0x10300, 0}), paletteEntries})},
        {"polyline16 points past the record",
         Metafile({Record(EMR_POLYLINE16, {0, 0, 0, 0, 1000, 0x00050005})})},
        {"polypolygon counts not the points",
         Metafile({Record(EMR_POLYPOLYGON, {0, 0, 0, 0, 1, 2, 3, 1, 1, 2, 2})})},
        {"text string past the record", Metafile({Text(500, 2)})},
        {"text spacing past the record",
         Metafile({Record(EMR_EXTTEXTOUTW, {0, 0, 0, 0, 1, F(1), F(1), 1, 1, 2, 76, 0, 0, 0, 0, 0, 80}, "ABCD")})},
        {"text spacing from the record's start, past it",
         Metafile({Record(EMR_EXTTEXTOUTW, {0, 0, 0, 0, 1, F(1), F(1), 1, 1, 40, 76, 0, 0, 0, 0, 0, 0},
                          std::string(80, 'A'))})},
        {"region rectangles past the record",
         Metafile({Record(EMR_FILLRGN, {0, 0, 0, 0, 32 + 16 * 3, 1}, Region(100, 3))})},
        {"region data past the record",
         Metafile({Record(EMR_FILLRGN, {0, 0, 0, 0, 4096, 1}, Region(1, 1))})},
        {"region brush beyond the table",
         Metafile({Record(EMR_FILLRGN, {0, 0, 0, 0, 48, 7}, Region(1, 1))})},
        {"region brush a stock object",
         Metafile({Record(EMR_FILLRGN, {0, 0, 0, 0, 48, kStockBlackBrush}, Region(1, 1))})},
        {"blit header offset past the record", Metafile({Blit(140, 40, 100, 24, dib)})},
        {"blit bits fewer than the rows", Metafile({Blit(100, 40, 140, 12, dib)})},
        {"run-length bitmap over the budget",
         Metafile({Record(EMR_STRETCHDIBITS, {0, 0, 0, 0, 0, 0, 0, 0, 8, 8, 80, 1064, 1144, 4, 0,
                                              SRCCOPY, 8, 8}, HugeRunLengthDib())})},
        {"absurd millimetre size and an ellipse",
         Metafile({Record(EMR_ELLIPSE, {0, 0, 30, 15})},
                  [](ENHMETAHEADER& h) { h.szlMillimeters = {0x7FFFFFF0, 0x7FFFFFF0}; })},
        {"frame below a pixel",
         Metafile({}, [](ENHMETAHEADER& h) { h.rclFrame = {0, 0, 10, 10}; })},
        {"frame over the picture budget",
         Metafile({}, [](ENHMETAHEADER& h) { h.rclFrame = {0, 0, 400000, 400000}; })},
        {"no handle table", Metafile({}, [](ENHMETAHEADER& h) { h.nHandles = 0; })},
        {"record count disagrees", Metafile({}, [](ENHMETAHEADER& h) { h.nRecords = 7; })},
        {"ellipse far outside the frame", Metafile({Record(EMR_ELLIPSE, {0, 0, 30000000, 15})})},
        {"huge world transform, then an ellipse",
         Metafile({Record(EMR_SETWORLDTRANSFORM, {F(1e6f), 0, 0, F(1e6f), 0, 0}),
                   Record(EMR_ELLIPSE, {0, 0, 30, 15})})},
        {"viewport scaled far up, then a line",
         Metafile({Record(EMR_SETMAPMODE, {MM_ANISOTROPIC}), Record(EMR_SETVIEWPORTEXTEX, {100000, 100000}),
                   Record(EMR_LINETO, {40, 20})})},
        {"pen wider than the picture",
         Metafile({Record(EMR_CREATEPEN, {1, PS_SOLID, 100000, 0, 0}), Record(EMR_LINETO, {5, 5})})},
        {"glyphs of thousands of pixels", Metafile({Font(-5000), Record(EMR_SELECTOBJECT, {1}), Text(1, 1)})},
        {"default font scaled far up",
         Metafile({Record(EMR_SETWORLDTRANSFORM, {F(1000), 0, 0, F(1000), 0, 0}), Text(1, 1, 0)})},
        {"restore a state never saved", Metafile({Record(EMR_RESTOREDC, {DWORD(-1)})})},
        {"colour management record", Metafile({Record(EMR_SETICMMODE, {1})})},
        {"bytes after the end record", Metafile({}, [](ENHMETAHEADER& h) { h.nBytes += 4; }) + "TAIL"},
    };
}

std::vector<Case> RefusedWindows()
{
    using wmf::Metafile;
    using wmf::Record;
    const std::string pen = Record(META_CREATEPENINDIRECT, {0, 1, 0, 0, 0});
    const std::string dib = SmallDib();
    return {
        {"select beyond the object table", Metafile({pen, Record(META_SELECTOBJECT, {1})}, 1)},
        {"delete beyond the object table", Metafile({pen, Record(META_DELETEOBJECT, {5})}, 1)},
        {"fill with a region beyond the table",
         Metafile({pen, Record(META_FILLREGION, {3, 0})}, 1)},
        {"select an empty slot", Metafile({Record(META_SELECTOBJECT, {0})}, 1)},
        {"more objects than the table holds", Metafile({pen, pen}, 1)},
        {"text longer than its record",
         Metafile({Record(META_EXTTEXTOUT, {10, 10, 400, 0}, "AB")}, 0)},
        {"plain text longer than its record", Metafile({Record(META_TEXTOUT, {300}, "AB")}, 0)},
        {"polygon points past the record", Metafile({Record(META_POLYGON, {50, 1, 1, 2, 2})}, 0)},
        {"polypolygon counts past the record",
         Metafile({Record(META_POLYPOLYGON, {2, 3, 30, 1, 1, 2, 2, 3, 3})}, 0)},
        {"region scans past the record",
         Metafile({Record(META_CREATEREGION, {0, 6, 0, 0, 0, 3, 0, 0, 0, 8, 8, 2, 0, 4, 0, 4})}, 1)},
        {"brush naming a device bitmap", Metafile({Record(META_CREATEBRUSHINDIRECT, {BS_PATTERN, 0, 0, 77})}, 1)},
        {"blit bitmap past the record",
         Metafile({Record(META_DIBSTRETCHBLT, {0x20, 0xCC, 2, 4, 0, 0, 2, 4, 0, 0}, dib.substr(0, 50))}, 0)},
        {"escape record", Metafile({Record(META_ESCAPE, {MFCOMMENT, 2, 0})}, 0)},
        {"scale by zero", Metafile({Record(META_SCALEWINDOWEXT, {0, 1, 0, 1})}, 0)},
        {"record larger than the declared largest",
         Metafile({Record(META_POLYLINE, {2, 0, 0, 9, 9})}, 0, [](METAHEADER& h) { h.mtMaxRecord = 4; })},
        {"size disagrees with the records",
         Metafile({}, 0, [](METAHEADER& h) { h.mtSize -= 1; })},
        {"object table beyond the limit", Metafile({}, 0, [](METAHEADER& h) { h.mtNoObjects = 60000; })},
        {"ellipse far outside the frame", Metafile({Record(META_ELLIPSE, {30000, 30000, 0, 0})}, 0)},
    };
}

void ExpectRefused(const Case& c)
{
    TMemoryStream stream;
    FillStream(stream, c.data);
    TMetafile metafile;
    try {
        metafile.LoadFromStream(stream);
        ADD_FAILURE() << c.name << ": accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(LoadResText(SInvalidMetafile), e.Message()) << c.name;
    }
    EXPECT_TRUE(metafile.Empty()) << c.name;
}

// Loads and draws blue onto white at 80 x 40.
void ExpectDrawnBlue(const Case& c)
{
    TMemoryStream stream;
    FillStream(stream, c.data);
    TMetafile metafile;
    ASSERT_NO_THROW(metafile.LoadFromStream(stream)) << c.name;
    TDrawTarget target(80, 40, kWhite);
    target.Canvas().StretchDraw(RECT{0, 0, 80, 40}, &metafile);
    EXPECT_EQ(kBlue, target.Pixel(20, 20)) << c.name;
}

}  // namespace

TEST(MetafileRecords, CraftedRecordsOfEitherFamilyAreRefused)
{
    for (const auto& family : {RefusedEnhanced(), RefusedWindows()})
        for (const Case& c : family)
            ExpectRefused(c);
}

TEST(MetafileRecords, PicturesOfTheSameRecordsLoadAndDraw)
{
    const std::string dib = SmallDib();
    const std::string brush = wmf::Record(META_CREATEBRUSHINDIRECT, {BS_SOLID, 0, 0xFF, 0});
    const Case cases[] = {
        {"enhanced: brush and rectangle", emf::Metafile({BrushAndBox()})},
        {"enhanced: font, text, region, blit, stock objects",
         emf::Metafile({Font(-12), Record(EMR_SELECTOBJECT, {1}), Text(3, 3),
                        Record(EMR_CREATEBRUSHINDIRECT, {2, BS_HATCHED, 0, HS_CROSS}),
                        Record(EMR_FILLRGN, {0, 0, 0, 0, 48, 2}, Region(1, 1)),
                        Record(EMR_SELECTPALETTE, {ENHMETA_STOCK_OBJECT | DEFAULT_PALETTE}),
                        Blit(100, 40, 140, 24, dib), Record(EMR_SELECTOBJECT, {kStockBlackBrush}),
                        Record(EMR_DELETEOBJECT, {1}), Record(EMR_SAVEDC, {}),
                        Record(EMR_SETWORLDTRANSFORM, {F(2), 0, 0, F(2), 0, 0}),
                        Record(EMR_RESTOREDC, {DWORD(-1)}), BrushAndBox()})},
        {"Windows: brush, rectangle, text, polygon",
         wmf::Metafile({brush, wmf::Record(META_SELECTOBJECT, {0}),
                        wmf::Record(META_TEXTOUT, {2}, std::string("AB") + std::string(4, '\0')),
                        wmf::Record(META_POLYGON, {3, 0, 0, 10, 0, 0, 10}),
                        wmf::Record(META_RECTANGLE, {50, 100, 0, 0}),
                        wmf::Record(META_DELETEOBJECT, {0})}, 1)},
    };
    for (const Case& c : cases)
        ExpectDrawnBlue(c);
}
