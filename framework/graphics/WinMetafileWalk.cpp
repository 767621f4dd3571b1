#include "framework/graphics/WinMetafileWalk.h"

#include "framework/graphics/MetafileBitmap.h"
#include "framework/graphics/MetafileLimits.h"

#include <algorithm>
#include <vector>

namespace {

constexpr size_t kWord = sizeof(WORD);
constexpr WORD kHeaderWords = sizeof(METAHEADER) / kWord;
constexpr WORD kMemoryMetafile = 1, kDiskMetafile = 2;
constexpr WORD kVersionNoDibs = 0x100, kVersionDibs = 0x300;
constexpr DWORD kRecordHeadWords = 3;   // size (two words) and function
constexpr WORD kEndOfFile = 0;
constexpr size_t kLogFont16FixedWords = 9;
constexpr size_t kFaceNameBytes = LF_FACESIZE;
constexpr size_t kRegionScansWord = 11;   // region header before the scans
constexpr size_t kRegionScanCountWord = 5;
constexpr size_t kScanHeadWords = 3;      // count, top, bottom; the count is repeated after

// The parameters of one record, in words, and what the walk knows.
struct TWinWalk {
    std::vector<bool> objects;   // the object table: which slots hold an object
    TByteCount bitmapBytes = 0;
};

class TParams {
public:
    explicit TParams(const TRecordView& params) : view_(params) {}
    size_t Count() const { return view_.Size() / kWord; }
    WORD operator[](size_t i) const { return view_.Get<WORD>(i * kWord); }
    TRecordView From(size_t word) const
    {
        return view_.Part(word * kWord, view_.Size() - std::min(view_.Size(), word * kWord));
    }

private:
    TRecordView view_;
};

using TWinCheck = bool (*)(const TParams&, TWinWalk&);

size_t WordsOf(size_t bytes)
{
    return (bytes + kWord - 1) / kWord;
}

bool Used(const TWinWalk& walk, WORD index)
{
    return index < walk.objects.size() && walk.objects[index];
}

// GDI puts each new object into the lowest free slot of the table.
bool Created(TWinWalk& walk)
{
    auto slot = std::find(walk.objects.begin(), walk.objects.end(), false);
    if (slot == walk.objects.end())
        return false;
    *slot = true;
    return true;
}

bool Nothing(const TParams&, TWinWalk&) { return true; }

bool Selected(const TParams& p, TWinWalk& walk) { return Used(walk, p[0]); }

bool Deleted(const TParams& p, TWinWalk& walk)
{
    if (!Used(walk, p[0]))
        return false;
    walk.objects[p[0]] = false;
    return true;
}

bool FilledRegion(const TParams& p, TWinWalk& walk) { return Used(walk, p[0]) && Used(walk, p[1]); }

// A clip region of index 0 may also mean "no clipping"; either way the index is in the table.
bool ClipRegion(const TParams& p, TWinWalk& walk) { return p[0] < walk.objects.size(); }

bool Scaled(const TParams& p, TWinWalk&) { return p[0] != 0 && p[2] != 0; }   // denominators

bool Plain(WORD style, WORD hatch)
{
    return style == BS_SOLID || style == BS_NULL || (style == BS_HATCHED && hatch <= HS_DIAGCROSS);
}

bool NewObject(const TParams&, TWinWalk& walk) { return Created(walk); }

// LOGBRUSH16: style, colour (two words), hatch.
bool NewBrush(const TParams& p, TWinWalk& walk) { return Plain(p[0], p[3]) && Created(walk); }

// LOGFONT16: nine words, then a face name that ends inside the record (GDI reads up to its NUL).
bool NewFont(const TParams& p, TWinWalk& walk)
{
    const TRecordView face = p.From(kLogFont16FixedWords);
    bool ended = face.Size() >= kFaceNameBytes;
    for (size_t i = 0; i < face.Size() && !ended; ++i)
        ended = face.Get<BYTE>(i) == 0;
    return ended && Created(walk);
}

// LOGPALETTE: version, count, entries of two words.
bool NewPalette(const TParams& p, TWinWalk& walk)
{
    constexpr size_t kEntryWords = sizeof(PALETTEENTRY) / kWord;
    return p[0] == kPaletteVersion && p[1] > 0 && p[1] <= kMaxPaletteEntries &&
           p.Count() >= 2 + p[1] * kEntryWords && Created(walk);
}

// Scans of count, top, bottom, count x-coordinates and the count again, inside the record.
bool NewRegion(const TParams& p, TWinWalk& walk)
{
    size_t at = kRegionScansWord, rects = 0;
    for (WORD scan = 0; scan < p[kRegionScanCountWord]; ++scan) {
        const WORD count = p[at];
        const size_t end = at + kScanHeadWords + count;
        if (count % 2 || end >= p.Count() || p[end] != count)
            return false;
        rects += count / 2;
        if (rects > kMaxRegionRects)
            return false;
        at = end + 1;
    }
    return Created(walk);
}

bool Points(const TParams& p, TWinWalk&)
{
    return p[0] <= kMaxPolyPoints && p.Count() >= 1 + 2 * size_t(p[0]);
}

bool PolyPolygon(const TParams& p, TWinWalk&)
{
    const size_t polygons = p[0];
    size_t points = 0;
    for (size_t i = 1; i <= polygons && i < p.Count(); ++i)
        points += p[i];
    return polygons > 0 && points <= kMaxPolyPoints && p.Count() >= 1 + polygons + 2 * points;
}

// TEXTOUT: count, the string, y, x.
bool Text(const TParams& p, TWinWalk&)
{
    return p[0] <= kMaxTextChars && p.Count() >= 1 + WordsOf(p[0]) + 2;
}

// EXTTEXTOUT: y, x, count, options, a rectangle when the options use one, the string, and
// optionally a spacing for each character.
bool ExtText(const TParams& p, TWinWalk&)
{
    constexpr size_t kRectWords = 4;
    const WORD count = p[2];
    const size_t rect = (p[3] & (ETO_OPAQUE | ETO_CLIPPED)) ? kRectWords : 0;
    return count <= kMaxTextChars && p.Count() >= 4 + rect + WordsOf(count);
}

// A packed bitmap from word at to the record's end; its pixels count against the budget.
bool Bitmap(const TParams& p, size_t at, DWORD usage, TWinWalk& walk)
{
    const TRecordView packed = p.From(at);
    const size_t infoBytes = PackedBitmapInfoSize(packed, usage);
    if (infoBytes == 0)
        return false;
    const TRecordBitmap bitmap{packed.Part(0, infoBytes),
                               packed.Part(infoBytes, packed.Size() - infoBytes), usage};
    walk.bitmapBytes = SizeSum(walk.bitmapBytes, RecordBitmapBytes(bitmap));
    return WithinImageBudget(walk.bitmapBytes);
}

// Blits carry their bitmap after the parameters; without one they paint with the brush.
bool DibBlit(const TParams& p, TWinWalk& walk)
{
    constexpr size_t kBitmapWord = 8;
    return p.Count() == kBitmapWord + 1 || Bitmap(p, kBitmapWord, DIB_RGB_COLORS, walk);
}

bool DibStretchBlit(const TParams& p, TWinWalk& walk)
{
    constexpr size_t kBitmapWord = 10;
    return p.Count() == kBitmapWord || Bitmap(p, kBitmapWord, DIB_RGB_COLORS, walk);
}

bool StretchDib(const TParams& p, TWinWalk& walk)
{
    constexpr size_t kUsageWord = 2, kBitmapWord = 11;
    return Bitmap(p, kBitmapWord, p[kUsageWord], walk);
}

bool DibToDevice(const TParams& p, TWinWalk& walk)
{
    constexpr size_t kUsageWord = 0, kBitmapWord = 9;
    return Bitmap(p, kBitmapWord, p[kUsageWord], walk);
}

// Style and usage, then the bitmap (the BS_PATTERN form holds a device-dependent one).
bool NewPatternBrush(const TParams& p, TWinWalk& walk)
{
    constexpr size_t kBitmapWord = 2;
    return p[0] != BS_PATTERN && Bitmap(p, kBitmapWord, p[1], walk) && Created(walk);
}

struct TRule {
    WORD function;
    WORD minParams;
    TWinCheck check;
};

// The records a picture needs to draw. Escapes, flood fills, device-dependent bitmaps, palette
// changes after creation and text spacing are refused.
const TRule kRules[] = {
    {META_SETBKCOLOR, 2, Nothing},        {META_SETBKMODE, 1, Nothing},
    {META_SETMAPMODE, 1, Nothing},        {META_SETROP2, 1, Nothing},
    {META_SETPOLYFILLMODE, 1, Nothing},   {META_SETSTRETCHBLTMODE, 1, Nothing},
    {META_SETTEXTCOLOR, 2, Nothing},      {META_SETWINDOWORG, 2, Nothing},
    {META_SETWINDOWEXT, 2, Nothing},      {META_SETVIEWPORTORG, 2, Nothing},
    {META_SETVIEWPORTEXT, 2, Nothing},    {META_OFFSETWINDOWORG, 2, Nothing},
    {META_SCALEWINDOWEXT, 4, Scaled},     {META_OFFSETVIEWPORTORG, 2, Nothing},
    {META_SCALEVIEWPORTEXT, 4, Scaled},   {META_LINETO, 2, Nothing},
    {META_MOVETO, 2, Nothing},            {META_EXCLUDECLIPRECT, 4, Nothing},
    {META_INTERSECTCLIPRECT, 4, Nothing}, {META_ARC, 8, Nothing},
    {META_ELLIPSE, 4, Nothing},           {META_PIE, 8, Nothing},
    {META_RECTANGLE, 4, Nothing},         {META_ROUNDRECT, 6, Nothing},
    {META_PATBLT, 6, Nothing},            {META_SAVEDC, 0, Nothing},
    {META_SETPIXEL, 4, Nothing},          {META_OFFSETCLIPRGN, 2, Nothing},
    {META_TEXTOUT, 1, Text},              {META_POLYGON, 1, Points},
    {META_POLYLINE, 1, Points},           {META_RESTOREDC, 1, Nothing},
    {META_FILLREGION, 2, FilledRegion},   {META_FRAMEREGION, 4, FilledRegion},
    {META_INVERTREGION, 1, Selected},     {META_PAINTREGION, 1, Selected},
    {META_SELECTCLIPREGION, 1, ClipRegion}, {META_SELECTOBJECT, 1, Selected},
    {META_SETTEXTALIGN, 1, Nothing},      {META_CHORD, 8, Nothing},
    {META_SETMAPPERFLAGS, 2, Nothing},    {META_EXTTEXTOUT, 4, ExtText},
    {META_SETDIBTODEV, 9, DibToDevice},   {META_SELECTPALETTE, 1, Selected},
    {META_REALIZEPALETTE, 0, Nothing},    {META_POLYPOLYGON, 1, PolyPolygon},
    {META_DIBBITBLT, 9, DibBlit},         {META_DIBSTRETCHBLT, 10, DibStretchBlit},
    {META_DIBCREATEPATTERNBRUSH, 2, NewPatternBrush}, {META_STRETCHDIB, 11, StretchDib},
    {META_DELETEOBJECT, 1, Deleted},      {META_CREATEPALETTE, 2, NewPalette},
    {META_CREATEPENINDIRECT, 5, NewObject}, {META_CREATEFONTINDIRECT, 9, NewFont},
    {META_CREATEBRUSHINDIRECT, 4, NewBrush}, {META_CREATEREGION, 11, NewRegion},
};

const TRule* RuleOf(WORD function)
{
    for (const TRule& rule : kRules)
        if (rule.function == function)
            return &rule;
    return nullptr;
}

bool HeaderFits(const METAHEADER& header, size_t words)
{
    return header.mtHeaderSize == kHeaderWords &&
           (header.mtType == kMemoryMetafile || header.mtType == kDiskMetafile) &&
           (header.mtVersion == kVersionNoDibs || header.mtVersion == kVersionDibs) &&
           header.mtSize == words && header.mtNoObjects <= kMaxMetafileObjects &&
           header.mtMaxRecord >= kRecordHeadWords && header.mtMaxRecord <= words;
}

}  // namespace

bool WinMetafilePlayable(const BYTE* bytes, size_t size)
{
    const TRecordView data(bytes, size);
    const auto header = data.Head<METAHEADER>();
    const size_t words = size / kWord;
    if (!data.Holds(0, sizeof(METAHEADER)) || size % kWord || !HeaderFits(header, words))
        return false;
    TWinWalk walk;
    walk.objects.assign(header.mtNoObjects, false);
    for (size_t at = kHeaderWords; words - at >= kRecordHeadWords;) {
        const DWORD recordWords = data.Get<DWORD>(at * kWord);
        const WORD function = data.Get<WORD>(at * kWord + sizeof(DWORD));
        if (recordWords < kRecordHeadWords || recordWords > words - at ||
            recordWords > header.mtMaxRecord)
            return false;
        const TParams params(data.Part((at + kRecordHeadWords) * kWord,
                                       (recordWords - kRecordHeadWords) * kWord));
        at += recordWords;
        if (function == kEndOfFile)
            return at == words;
        const TRule* rule = RuleOf(function);
        if (!rule || params.Count() < rule->minParams || !rule->check(params, walk))
            return false;
    }
    return false;
}
