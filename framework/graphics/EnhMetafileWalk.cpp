#include "framework/graphics/EnhMetafileWalk.h"

#include "framework/graphics/EnhMetafileChecks.h"
#include "framework/graphics/MetafileLimits.h"

#include <cstddef>
#include <optional>

namespace {

// The part of ENHMETAHEADER that every version has (later versions append fields).
constexpr DWORD kMinHeaderSize = offsetof(ENHMETAHEADER, cbPixelFormat);
constexpr DWORD kPixelFormatHeaderSize = offsetof(ENHMETAHEADER, szlMicrometers);
constexpr DWORD kRecordUnit = sizeof(DWORD);
constexpr double kHundredthsPerMillimetre = 100.0;

struct TRule {
    DWORD type;
    DWORD minSize;   // the record's fixed part
    TEnhCheck check;
};

using namespace enhcheck;

// The records a picture needs to draw. Anything else (printer escapes, colour management,
// OpenGL, flood fills, palette changes after creation, masked, alpha and gradient blits) is
// refused.
const TRule kRules[] = {
    {EMR_POLYBEZIER, offsetof(EMRPOLYLINE, aptl), Poly},
    {EMR_POLYGON, offsetof(EMRPOLYLINE, aptl), Poly},
    {EMR_POLYLINE, offsetof(EMRPOLYLINE, aptl), Poly},
    {EMR_POLYBEZIERTO, offsetof(EMRPOLYLINE, aptl), Poly},
    {EMR_POLYLINETO, offsetof(EMRPOLYLINE, aptl), Poly},
    {EMR_POLYPOLYLINE, offsetof(EMRPOLYPOLYLINE, aPolyCounts), PolyPoly},
    {EMR_POLYPOLYGON, offsetof(EMRPOLYPOLYLINE, aPolyCounts), PolyPoly},
    {EMR_SETWINDOWEXTEX, sizeof(EMRSETWINDOWEXTEX), WindowExtent},
    {EMR_SETWINDOWORGEX, sizeof(EMRSETWINDOWORGEX), WindowOrigin},
    {EMR_SETVIEWPORTEXTEX, sizeof(EMRSETVIEWPORTEXTEX), ViewportExtent},
    {EMR_SETVIEWPORTORGEX, sizeof(EMRSETVIEWPORTORGEX), ViewportOrigin},
    {EMR_SETBRUSHORGEX, sizeof(EMRSETBRUSHORGEX), Nothing},
    {EMR_SETPIXELV, sizeof(EMRSETPIXELV), Point},
    {EMR_SETMAPPERFLAGS, sizeof(EMRSETMAPPERFLAGS), Nothing},
    {EMR_SETMAPMODE, sizeof(EMRSETMAPMODE), MapMode},
    {EMR_SETBKMODE, sizeof(EMRSETBKMODE), Nothing},
    {EMR_SETPOLYFILLMODE, sizeof(EMRSETPOLYFILLMODE), Nothing},
    {EMR_SETROP2, sizeof(EMRSETROP2), Nothing},
    {EMR_SETSTRETCHBLTMODE, sizeof(EMRSETSTRETCHBLTMODE), Nothing},
    {EMR_SETTEXTALIGN, sizeof(EMRSETTEXTALIGN), Nothing},
    {EMR_SETTEXTCOLOR, sizeof(EMRSETTEXTCOLOR), Nothing},
    {EMR_SETBKCOLOR, sizeof(EMRSETBKCOLOR), Nothing},
    {EMR_OFFSETCLIPRGN, sizeof(EMROFFSETCLIPRGN), Nothing},
    {EMR_MOVETOEX, sizeof(EMRMOVETOEX), Point},
    {EMR_EXCLUDECLIPRECT, sizeof(EMREXCLUDECLIPRECT), Box},
    {EMR_INTERSECTCLIPRECT, sizeof(EMRINTERSECTCLIPRECT), Box},
    {EMR_SCALEVIEWPORTEXTEX, sizeof(EMRSCALEVIEWPORTEXTEX), ScaleViewport},
    {EMR_SCALEWINDOWEXTEX, sizeof(EMRSCALEWINDOWEXTEX), ScaleWindow},
    {EMR_SAVEDC, sizeof(EMRSAVEDC), SaveState},
    {EMR_RESTOREDC, sizeof(EMRRESTOREDC), RestoreState},
    {EMR_SETWORLDTRANSFORM, sizeof(EMRSETWORLDTRANSFORM), SetWorld},
    {EMR_MODIFYWORLDTRANSFORM, sizeof(EMRMODIFYWORLDTRANSFORM), ModifyWorld},
    {EMR_SELECTOBJECT, sizeof(EMRSELECTOBJECT), SelectedObject},
    {EMR_CREATEPEN, sizeof(EMRCREATEPEN), NewPen},
    {EMR_CREATEBRUSHINDIRECT, sizeof(EMRCREATEBRUSHINDIRECT), NewBrush},
    {EMR_DELETEOBJECT, sizeof(EMRDELETEOBJECT), DeletedObject},
    {EMR_ELLIPSE, sizeof(EMRELLIPSE), Shape},
    {EMR_RECTANGLE, sizeof(EMRRECTANGLE), Shape},
    {EMR_ROUNDRECT, sizeof(EMRROUNDRECT), RoundShape},
    {EMR_ARC, sizeof(EMRARC), Shape},
    {EMR_CHORD, sizeof(EMRCHORD), Shape},
    {EMR_PIE, sizeof(EMRPIE), Shape},
    {EMR_SELECTPALETTE, sizeof(EMRSELECTPALETTE), SelectedObject},
    {EMR_CREATEPALETTE, offsetof(EMRCREATEPALETTE, lgpl.palPalEntry), NewPalette},
    {EMR_REALIZEPALETTE, sizeof(EMRREALIZEPALETTE), Nothing},
    {EMR_LINETO, sizeof(EMRLINETO), Line},
    {EMR_ARCTO, sizeof(EMRARCTO), Shape},
    {EMR_SETARCDIRECTION, sizeof(EMRSETARCDIRECTION), Nothing},
    {EMR_SETMITERLIMIT, sizeof(EMRSETMITERLIMIT), MiterLimit},
    {EMR_BEGINPATH, sizeof(EMRBEGINPATH), Nothing},
    {EMR_ENDPATH, sizeof(EMRENDPATH), Nothing},
    {EMR_CLOSEFIGURE, sizeof(EMRCLOSEFIGURE), Nothing},
    {EMR_FILLPATH, sizeof(EMRFILLPATH), Nothing},
    {EMR_STROKEANDFILLPATH, sizeof(EMRSTROKEANDFILLPATH), Stroke},
    {EMR_STROKEPATH, sizeof(EMRSTROKEPATH), Stroke},
    {EMR_FLATTENPATH, sizeof(EMRFLATTENPATH), Nothing},
    {EMR_WIDENPATH, sizeof(EMRWIDENPATH), Stroke},
    {EMR_SELECTCLIPPATH, sizeof(EMRSELECTCLIPPATH), Nothing},
    {EMR_ABORTPATH, sizeof(EMRABORTPATH), Nothing},
    {EMR_GDICOMMENT, offsetof(EMRGDICOMMENT, Data), Comment},
    {EMR_FILLRGN, offsetof(EMRFILLRGN, RgnData), FillRegion},
    {EMR_FRAMERGN, offsetof(EMRFRAMERGN, RgnData), FrameRegion},
    {EMR_INVERTRGN, offsetof(EMRINVERTRGN, RgnData), PaintRegion},
    {EMR_PAINTRGN, offsetof(EMRPAINTRGN, RgnData), PaintRegion},
    {EMR_EXTSELECTCLIPRGN, offsetof(EMREXTSELECTCLIPRGN, RgnData), ClipRegion},
    {EMR_BITBLT, sizeof(EMRBITBLT), Blit},
    {EMR_STRETCHBLT, sizeof(EMRSTRETCHBLT), Blit},
    {EMR_SETDIBITSTODEVICE, sizeof(EMRSETDIBITSTODEVICE), DibitsToDevice},
    {EMR_STRETCHDIBITS, sizeof(EMRSTRETCHDIBITS), StretchedDibits},
    {EMR_EXTCREATEFONTINDIRECTW, offsetof(EMREXTCREATEFONTINDIRECTW, elfw) + sizeof(LOGFONTW), NewFont},
    {EMR_EXTTEXTOUTA, sizeof(EMREXTTEXTOUTA), TextA},
    {EMR_EXTTEXTOUTW, sizeof(EMREXTTEXTOUTW), TextW},
    {EMR_POLYBEZIER16, offsetof(EMRPOLYLINE16, apts), Poly16},
    {EMR_POLYGON16, offsetof(EMRPOLYLINE16, apts), Poly16},
    {EMR_POLYLINE16, offsetof(EMRPOLYLINE16, apts), Poly16},
    {EMR_POLYBEZIERTO16, offsetof(EMRPOLYLINE16, apts), Poly16},
    {EMR_POLYLINETO16, offsetof(EMRPOLYLINE16, apts), Poly16},
    {EMR_POLYPOLYLINE16, offsetof(EMRPOLYPOLYLINE16, aPolyCounts), PolyPoly16},
    {EMR_POLYPOLYGON16, offsetof(EMRPOLYPOLYLINE16, aPolyCounts), PolyPoly16},
    {EMR_CREATEMONOBRUSH, sizeof(EMRCREATEMONOBRUSH), NewMonoBrush},
    {EMR_CREATEDIBPATTERNBRUSHPT, sizeof(EMRCREATEDIBPATTERNBRUSHPT), NewPatternBrush},
    {EMR_EXTCREATEPEN, offsetof(TEmrExtCreatePen, elp.elpStyleEntry), NewExtPen},
};

const TRule* RuleOf(DWORD type)
{
    for (const TRule& rule : kRules)
        if (rule.type == type)
            return &rule;
    return nullptr;
}

bool Between(LONG value, LONG low, LONG high)
{
    return value >= low && value <= high;
}

bool HeaderPartFits(const TRecordView& header, DWORD offset, TByteCount count, TByteCount itemBytes)
{
    return count == 0 || (offset >= kMinHeaderSize && header.HoldsArray(offset, count, itemBytes));
}

// The frame in device pixels: at least a pixel, and within the picture budget when drawn at its
// own size.
bool FrameFits(const ENHMETAHEADER& header)
{
    const RECTL& frame = header.rclFrame;
    const double width = (double(frame.right) - frame.left) * header.szlDevice.cx /
                         (header.szlMillimeters.cx * kHundredthsPerMillimetre);
    const double height = (double(frame.bottom) - frame.top) * header.szlDevice.cy /
                          (header.szlMillimeters.cy * kHundredthsPerMillimetre);
    return width >= kMinFramePixels && height >= kMinFramePixels && width <= kMaxFramePixels &&
           height <= kMaxFramePixels && ImageWithinBudget(LONG(width) + 1, LONG(height) + 1);
}

std::optional<TEnhWalk> HeaderWalk(const TRecordView& data)
{
    const auto header = data.Head<ENHMETAHEADER>();
    if (!data.Holds(0, kMinHeaderSize) || header.iType != EMR_HEADER ||
        header.dSignature != ENHMETA_SIGNATURE || header.nSize < kMinHeaderSize ||
        header.nSize % kRecordUnit || header.nBytes != data.Size() || header.nSize > header.nBytes)
        return std::nullopt;
    const TRecordView record = data.Part(0, header.nSize);
    const bool pixelFormat = header.nSize >= kPixelFormatHeaderSize;
    if (header.nHandles == 0 || header.nHandles > kMaxMetafileObjects ||
        !HeaderPartFits(record, header.offDescription, header.nDescription, sizeof(WCHAR)) ||
        (pixelFormat && (header.bOpenGL ||
                         !HeaderPartFits(record, header.offPixelFormat, header.cbPixelFormat, 1))) ||
        !Between(header.szlDevice.cx, 1, kMaxMetafileDevicePixels) ||
        !Between(header.szlDevice.cy, 1, kMaxMetafileDevicePixels) ||
        !Between(header.szlMillimeters.cx, 1, kMaxMetafileDeviceMillimetres) ||
        !Between(header.szlMillimeters.cy, 1, kMaxMetafileDeviceMillimetres) || !FrameFits(header))
        return std::nullopt;
    TEnhWalk walk{header.nHandles, TMetafileGeometry(header.rclFrame, header.szlDevice,
                                                     header.szlMillimeters)};
    const RECTL& bounds = header.rclBounds;
    const bool empty = bounds.right < bounds.left || bounds.bottom < bounds.top;
    if (!empty && !walk.geometry.DeviceReaches(bounds))
        return std::nullopt;
    return walk;
}

// The end record: its palette inside it, and nothing after it.
bool EndFits(const TRecordView& record, size_t end, size_t size)
{
    const auto eof = record.Head<EMREOF>();
    return record.Holds(0, offsetof(EMREOF, nSizeLast) + sizeof(DWORD)) && end == size &&
           eof.nPalEntries <= kMaxPaletteEntries &&
           (eof.nPalEntries == 0 ||
            (eof.offPalEntries >= offsetof(EMREOF, offPalEntries) + sizeof(DWORD) &&
             record.HoldsArray(eof.offPalEntries, eof.nPalEntries, sizeof(PALETTEENTRY))));
}

}  // namespace

bool EnhMetafilePlayable(const BYTE* bytes, size_t size)
{
    const TRecordView data(bytes, size);
    std::optional<TEnhWalk> walk = HeaderWalk(data);
    if (!walk)
        return false;
    const DWORD declaredRecords = data.Head<ENHMETAHEADER>().nRecords;
    DWORD records = 1;
    for (size_t at = data.Head<ENHMETAHEADER>().nSize; data.Holds(at, sizeof(EMR)); ++records) {
        const auto head = data.Part(at, sizeof(EMR)).Head<EMR>();
        if (head.nSize < sizeof(EMR) || head.nSize % kRecordUnit || !data.Holds(at, head.nSize))
            return false;
        const TRecordView record = data.Part(at, head.nSize);
        at += head.nSize;
        if (head.iType == EMR_EOF)
            return EndFits(record, at, size) && records + 1 == declaredRecords;
        const TRule* rule = RuleOf(head.iType);
        if (!rule || head.nSize < rule->minSize || !rule->check(record, *walk))
            return false;
    }
    return false;
}
