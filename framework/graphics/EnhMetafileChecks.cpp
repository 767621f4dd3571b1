#include "framework/graphics/EnhMetafileChecks.h"

#include "framework/graphics/MetafileBitmap.h"
#include "framework/graphics/MetafileLimits.h"

#include <cmath>
#include <cstddef>

namespace {

constexpr double kMaxMiterLimit = 100.0;
constexpr DWORD kCosmeticPenWidth = 1;

// A slot of the handle table that a record creates an object in.
bool NewSlot(DWORD index, const TEnhWalk& walk)
{
    return index != 0 && index < walk.handles;
}

// An object a record uses: a slot, or a stock object.
bool UsedObject(DWORD index, const TEnhWalk& walk)
{
    if (index & ENHMETA_STOCK_OBJECT)
        return (index & ~ENHMETA_STOCK_OBJECT) <= kLastStockObject;
    return NewSlot(index, walk);
}

bool Plain(DWORD brushStyle, ULONG hatch)
{
    return brushStyle == BS_SOLID || brushStyle == BS_NULL ||
           (brushStyle == BS_HATCHED && hatch <= HS_DIAGCROSS);
}

template <class Point>
bool PointsReach(const TRecordView& record, size_t at, DWORD count, const TEnhWalk& walk)
{
    if (count > kMaxPolyPoints || !record.HoldsArray(at, count, sizeof(Point)))
        return false;
    for (DWORD i = 0; i < count; ++i) {
        const auto point = record.Get<Point>(at + i * sizeof(Point));
        if (!walk.geometry.Reaches(point.x, point.y))
            return false;
    }
    return walk.geometry.StrokesFit();
}

// Polygon counts, then points: the counts must add up to the points the record holds.
template <class Point>
bool PolyPolyReach(const TRecordView& record, const TEnhWalk& walk)
{
    const auto head = record.Head<EMRPOLYPOLYLINE>();
    const size_t counts = offsetof(EMRPOLYPOLYLINE, aPolyCounts);
    if (head.nPolys == 0 || head.nPolys > kMaxPolyPoints ||
        !record.HoldsArray(counts, head.nPolys, sizeof(DWORD)))
        return false;
    TByteCount total = 0;
    for (DWORD i = 0; i < head.nPolys; ++i)
        total = SizeSum(total, record.Get<DWORD>(counts + i * sizeof(DWORD)));
    return total == head.cptl &&
           PointsReach<Point>(record, counts + head.nPolys * sizeof(DWORD), head.cptl, walk);
}

// Region data: rectangles in device pixels, few enough for GDI to combine quickly.
bool RegionFits(const TRecordView& record, size_t at, DWORD bytes, const TEnhWalk& walk)
{
    const TRecordView region = record.Part(at, bytes);
    if (region.Size() != bytes || bytes < kRegionHeaderSize)
        return false;
    const auto header = region.Get<RGNDATAHEADER>(0);
    if (header.dwSize != kRegionHeaderSize || header.iType != RDH_RECTANGLES ||
        header.nCount > kMaxRegionRects ||
        !region.HoldsArray(kRegionHeaderSize, header.nCount, sizeof(RECTL)))
        return false;
    for (DWORD i = 0; i < header.nCount; ++i)
        if (!walk.geometry.DeviceReaches(region.Get<RECTL>(kRegionHeaderSize + i * sizeof(RECTL))))
            return false;
    return true;
}

// A bitmap given by offsets and sizes within the record; its pixels count against the budget.
bool BitmapFits(const TRecordView& record, DWORD offBmi, DWORD cbBmi, DWORD offBits, DWORD cbBits,
                DWORD usage, TEnhWalk& walk)
{
    const TRecordView info = record.Part(offBmi, cbBmi), bits = record.Part(offBits, cbBits);
    if (info.Size() != cbBmi || bits.Size() != cbBits)
        return false;
    walk.bitmapBytes = SizeSum(walk.bitmapBytes, RecordBitmapBytes({info, bits, usage}));
    return WithinImageBudget(walk.bitmapBytes);
}

bool DestinationReaches(LONG x, LONG y, LONG cx, LONG cy, const TEnhWalk& walk)
{
    const long long right = static_cast<long long>(x) + cx, bottom = static_cast<long long>(y) + cy;
    return walk.geometry.Reaches(x, y) && walk.geometry.Reaches(double(right), double(bottom)) &&
           walk.geometry.Reaches(x, double(bottom)) && walk.geometry.Reaches(double(right), y);
}

bool TextFits(const TRecordView& record, TEnhWalk& walk, size_t charBytes)
{
    const auto head = record.Head<EMREXTTEXTOUTW>();
    const EMRTEXT& text = head.emrtext;
    const DWORD spacings = (text.fOptions & ETO_PDY) ? 2 : 1;
    const bool boxed = text.fOptions & (ETO_OPAQUE | ETO_CLIPPED);
    const RECTL box{text.rcl.left, text.rcl.top, text.rcl.right, text.rcl.bottom};
    // GDI may read the spacings from the record's start when there are none (offDx 0).
    return text.nChars <= kMaxTextChars &&
           record.HoldsArray(text.offString, text.nChars, charBytes) &&
           record.HoldsArray(text.offDx, SizeProduct(text.nChars, spacings), sizeof(INT)) &&
           std::isfinite(head.exScale) && std::fabs(head.exScale) <= kMaxTransformFactor &&
           std::isfinite(head.eyScale) && std::fabs(head.eyScale) <= kMaxTransformFactor &&
           walk.geometry.Reaches(text.ptlReference.x, text.ptlReference.y) &&
           (!boxed || walk.geometry.ReachesBox(box)) && walk.geometry.TextFits();
}

}  // namespace

namespace enhcheck {

bool Nothing(const TRecordView&, TEnhWalk&) { return true; }

bool Poly(const TRecordView& record, TEnhWalk& walk)
{
    return PointsReach<POINTL>(record, offsetof(EMRPOLYLINE, aptl),
                               record.Head<EMRPOLYLINE>().cptl, walk);
}

bool Poly16(const TRecordView& record, TEnhWalk& walk)
{
    return PointsReach<POINTS>(record, offsetof(EMRPOLYLINE16, apts),
                               record.Head<EMRPOLYLINE16>().cpts, walk);
}

bool PolyPoly(const TRecordView& record, TEnhWalk& walk) { return PolyPolyReach<POINTL>(record, walk); }
bool PolyPoly16(const TRecordView& record, TEnhWalk& walk) { return PolyPolyReach<POINTS>(record, walk); }

bool Point(const TRecordView& record, TEnhWalk& walk)
{
    const auto point = record.Head<EMRLINETO>().ptl;
    return walk.geometry.Reaches(point.x, point.y);
}

bool Line(const TRecordView& record, TEnhWalk& walk)
{
    return Point(record, walk) && walk.geometry.StrokesFit();
}

bool Box(const TRecordView& record, TEnhWalk& walk)
{
    return walk.geometry.ReachesBox(record.Head<EMRRECTANGLE>().rclBox);
}

bool Shape(const TRecordView& record, TEnhWalk& walk)
{
    return Box(record, walk) && walk.geometry.StrokesFit();
}

bool RoundShape(const TRecordView& record, TEnhWalk& walk)
{
    const auto corner = record.Head<EMRROUNDRECT>().szlCorner;
    return Shape(record, walk) && walk.geometry.LengthFits(corner.cx) &&
           walk.geometry.LengthFits(corner.cy);
}

bool Stroke(const TRecordView&, TEnhWalk& walk) { return walk.geometry.StrokesFit(); }

bool MapMode(const TRecordView& record, TEnhWalk& walk)
{
    return walk.geometry.SetMapMode(record.Head<EMRSETMAPMODE>().iMode);
}

bool WindowExtent(const TRecordView& record, TEnhWalk& walk)
{
    const auto size = record.Head<EMRSETWINDOWEXTEX>().szlExtent;
    return walk.geometry.SetWindowExtent(size.cx, size.cy);
}

bool ViewportExtent(const TRecordView& record, TEnhWalk& walk)
{
    const auto size = record.Head<EMRSETVIEWPORTEXTEX>().szlExtent;
    return walk.geometry.SetViewportExtent(size.cx, size.cy);
}

bool WindowOrigin(const TRecordView& record, TEnhWalk& walk)
{
    const auto origin = record.Head<EMRSETWINDOWORGEX>().ptlOrigin;
    walk.geometry.SetWindowOrigin(origin.x, origin.y);
    return true;
}

bool ViewportOrigin(const TRecordView& record, TEnhWalk& walk)
{
    const auto origin = record.Head<EMRSETVIEWPORTORGEX>().ptlOrigin;
    walk.geometry.SetViewportOrigin(origin.x, origin.y);
    return true;
}

bool ScaleWindow(const TRecordView& record, TEnhWalk& walk)
{
    const auto s = record.Head<EMRSCALEWINDOWEXTEX>();
    return walk.geometry.ScaleWindowExtent(s.xNum, s.xDenom, s.yNum, s.yDenom);
}

bool ScaleViewport(const TRecordView& record, TEnhWalk& walk)
{
    const auto s = record.Head<EMRSCALEVIEWPORTEXTEX>();
    return walk.geometry.ScaleViewportExtent(s.xNum, s.xDenom, s.yNum, s.yDenom);
}

bool SetWorld(const TRecordView& record, TEnhWalk& walk)
{
    return walk.geometry.SetWorldTransform(record.Head<EMRSETWORLDTRANSFORM>().xform);
}

bool ModifyWorld(const TRecordView& record, TEnhWalk& walk)
{
    const auto modify = record.Head<EMRMODIFYWORLDTRANSFORM>();
    return walk.geometry.ModifyWorldTransform(modify.xform, modify.iMode);
}

bool SaveState(const TRecordView&, TEnhWalk& walk) { return walk.geometry.Save(); }

bool RestoreState(const TRecordView& record, TEnhWalk& walk)
{
    return walk.geometry.Restore(record.Head<EMRRESTOREDC>().iRelative);
}

// GDI lengthens a mitred join up to this many pen widths.
bool MiterLimit(const TRecordView& record, TEnhWalk&)
{
    const FLOAT limit = record.Head<EMRSETMITERLIMIT>().eMiterLimit;
    return std::isfinite(limit) && limit <= kMaxMiterLimit;
}

bool SelectedObject(const TRecordView& record, TEnhWalk& walk)
{
    return UsedObject(record.Head<EMRSELECTOBJECT>().ihObject, walk);
}

// Stock objects are never deleted: GDI would look their index up in the table.
bool DeletedObject(const TRecordView& record, TEnhWalk& walk)
{
    return NewSlot(record.Head<EMRDELETEOBJECT>().ihObject, walk);
}

bool NewPen(const TRecordView& record, TEnhWalk& walk)
{
    const auto pen = record.Head<EMRCREATEPEN>();
    walk.geometry.NotePen(pen.lopn.lopnWidth.x);
    return NewSlot(pen.ihPen, walk);
}

// Geometric pens of plain brushes; dash entries inside the record.
bool NewExtPen(const TRecordView& record, TEnhWalk& walk)
{
    const auto pen = record.Head<TEmrExtCreatePen>();
    const EXTLOGPEN32& style = pen.elp;
    const bool geometric = (style.elpPenStyle & PS_TYPE_MASK) == PS_GEOMETRIC;
    walk.geometry.NotePen(geometric ? static_cast<LONG>(style.elpWidth) : kCosmeticPenWidth);
    return NewSlot(pen.ihPen, walk) && pen.cbBmi == 0 && pen.cbBits == 0 &&
           style.elpWidth <= static_cast<DWORD>(LONG_MAX) &&
           Plain(style.elpBrushStyle, style.elpHatch) &&
           style.elpNumEntries <= kMaxPenStyleEntries &&
           record.HoldsArray(offsetof(TEmrExtCreatePen, elp.elpStyleEntry), style.elpNumEntries,
                             sizeof(DWORD));
}

// Solid, hollow and hatched brushes; the others name memory of the recording process.
bool NewBrush(const TRecordView& record, TEnhWalk& walk)
{
    const auto brush = record.Head<EMRCREATEBRUSHINDIRECT>();
    return NewSlot(brush.ihBrush, walk) && Plain(brush.lb.lbStyle, brush.lb.lbHatch);
}

bool NewPatternBrush(const TRecordView& record, TEnhWalk& walk)
{
    const auto brush = record.Head<EMRCREATEDIBPATTERNBRUSHPT>();
    return NewSlot(brush.ihBrush, walk) &&
           BitmapFits(record, brush.offBmi, brush.cbBmi, brush.offBits, brush.cbBits, brush.iUsage,
                      walk);
}

bool NewMonoBrush(const TRecordView& record, TEnhWalk& walk)
{
    const auto brush = record.Head<EMRCREATEMONOBRUSH>();
    const auto header = record.Part(brush.offBmi, brush.cbBmi).Get<BITMAPINFOHEADER>(0);
    return header.biBitCount == 1 && NewPatternBrush(record, walk);
}

bool NewFont(const TRecordView& record, TEnhWalk& walk)
{
    const auto font = record.Head<EMREXTCREATEFONTINDIRECTW>();
    const LOGFONTW& face = font.elfw.elfLogFont;
    walk.geometry.NoteFont(face.lfHeight, face.lfWidth);
    return NewSlot(font.ihFont, walk);
}

bool NewPalette(const TRecordView& record, TEnhWalk& walk)
{
    const auto palette = record.Head<EMRCREATEPALETTE>();
    const WORD entries = palette.lgpl.palNumEntries;
    return NewSlot(palette.ihPal, walk) && palette.lgpl.palVersion == kPaletteVersion &&
           entries > 0 && entries <= kMaxPaletteEntries &&
           record.HoldsArray(offsetof(EMRCREATEPALETTE, lgpl.palPalEntry), entries,
                             sizeof(PALETTEENTRY));
}

bool Comment(const TRecordView& record, TEnhWalk&)
{
    return record.Holds(offsetof(EMRGDICOMMENT, Data), record.Head<EMRGDICOMMENT>().cbData);
}

// The brush of a region record is looked up in the table without a stock-object test.
bool FillRegion(const TRecordView& record, TEnhWalk& walk)
{
    const auto fill = record.Head<EMRFILLRGN>();
    return NewSlot(fill.ihBrush, walk) &&
           RegionFits(record, offsetof(EMRFILLRGN, RgnData), fill.cbRgnData, walk);
}

bool FrameRegion(const TRecordView& record, TEnhWalk& walk)
{
    const auto frame = record.Head<EMRFRAMERGN>();
    return NewSlot(frame.ihBrush, walk) && walk.geometry.LengthFits(frame.szlStroke.cx) &&
           walk.geometry.LengthFits(frame.szlStroke.cy) &&
           RegionFits(record, offsetof(EMRFRAMERGN, RgnData), frame.cbRgnData, walk);
}

bool PaintRegion(const TRecordView& record, TEnhWalk& walk)
{
    return RegionFits(record, offsetof(EMRPAINTRGN, RgnData), record.Head<EMRPAINTRGN>().cbRgnData,
                      walk);
}

// No region data resets the clipping (RGN_COPY only).
bool ClipRegion(const TRecordView& record, TEnhWalk& walk)
{
    const auto clip = record.Head<EMREXTSELECTCLIPRGN>();
    if (clip.iMode < RGN_AND || clip.iMode > RGN_COPY)
        return false;
    if (clip.cbRgnData == 0)
        return clip.iMode == RGN_COPY;
    return RegionFits(record, offsetof(EMREXTSELECTCLIPRGN, RgnData), clip.cbRgnData, walk);
}

// A blit without a bitmap paints with the brush only. (A stretching blit starts the same way.)
bool Blit(const TRecordView& record, TEnhWalk& walk)
{
    const auto blit = record.Head<EMRBITBLT>();
    if (!DestinationReaches(blit.xDest, blit.yDest, blit.cxDest, blit.cyDest, walk))
        return false;
    if (blit.cbBmiSrc == 0)
        return blit.cbBitsSrc == 0;
    return SaneTransform(blit.xformSrc) &&
           BitmapFits(record, blit.offBmiSrc, blit.cbBmiSrc, blit.offBitsSrc, blit.cbBitsSrc,
                      blit.iUsageSrc, walk);
}

bool DibitsToDevice(const TRecordView& record, TEnhWalk& walk)
{
    const auto set = record.Head<EMRSETDIBITSTODEVICE>();
    return DestinationReaches(set.xDest, set.yDest, set.cxSrc, set.cySrc, walk) &&
           BitmapFits(record, set.offBmiSrc, set.cbBmiSrc, set.offBitsSrc, set.cbBitsSrc,
                      set.iUsageSrc, walk);
}

bool StretchedDibits(const TRecordView& record, TEnhWalk& walk)
{
    const auto stretch = record.Head<EMRSTRETCHDIBITS>();
    return DestinationReaches(stretch.xDest, stretch.yDest, stretch.cxDest, stretch.cyDest, walk) &&
           BitmapFits(record, stretch.offBmiSrc, stretch.cbBmiSrc, stretch.offBitsSrc,
                      stretch.cbBitsSrc, stretch.iUsageSrc, walk);
}

bool TextA(const TRecordView& record, TEnhWalk& walk) { return TextFits(record, walk, sizeof(char)); }
bool TextW(const TRecordView& record, TEnhWalk& walk) { return TextFits(record, walk, sizeof(WCHAR)); }

}  // namespace enhcheck
