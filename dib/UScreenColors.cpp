#include "dib/UScreenColors.h"

#include "framework/graphics/Bitmap.h"
#include "framework/graphics/Canvas.h"
#include "framework/graphics/Palette.h"
#include "framework/core/Exception.h"
#include "framework/core/ScopeGuard.h"
#include "framework/core/Stream.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

// A LOGPALETTE with room for every entry a palette can have (1,028 bytes).
struct TLogPalette256 {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY entries[kMaxPaletteEntries];
};
static_assert(sizeof(TLogPalette256) == 4 + 4 * kMaxPaletteEntries, "LOGPALETTE layout");

// Layout of the head of a RIFF palette file: "RIFF", size, "PAL " "data", chunk size.
constexpr long kRiffHeaderSize = 20;
constexpr char kRiffId[] = "RIFF";
constexpr char kPaletteForm[] = "PAL data";
constexpr int kRiffIdOffset = 0;
constexpr int kFormOffset = 8;
constexpr int kChunkSizeOffset = 16;
constexpr long kLogPaletteHeadSize = 4;   // palVersion and palNumEntries

constexpr int kMaxPaletteBits = 8;

const char kDefaultPaletteName[] = "DefaultPalette";
const char kDefaultPaletteType[] = "Palette";

TOwnedPalette defaultPalette;
int initCount = 0;

bool SameColor(const PALETTEENTRY& a, const PALETTEENTRY& b)
{
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue;
}

// A working list of at most 256 entries that keeps each colour once.
class TColorList {
public:
    int Size() const { return static_cast<int>(entries_.size()); }
    const PALETTEENTRY* At(int index) const { return &entries_[index]; }
    bool Contains(const PALETTEENTRY& entry) const
    {
        for (const PALETTEENTRY& e : entries_)
            if (SameColor(e, entry))
                return true;
        return false;
    }
    void AddNew(const PALETTEENTRY& entry)
    {
        if (!Contains(entry))
            entries_.push_back(entry);
    }

private:
    std::vector<PALETTEENTRY> entries_;
};

int PaletteEntries(HPALETTE palette, PALETTEENTRY* entries)
{
    int count = static_cast<int>(GetPaletteEntries(palette, 0, kMaxPaletteEntries, entries));
    return count > kMaxPaletteEntries ? kMaxPaletteEntries : count;
}

void AddReservedColors(TColorList& list, bool blackWhiteOnly)
{
    if (blackWhiteOnly) {
        list.AddNew(PALETTEENTRY{0, 0, 0, 0});
        list.AddNew(PALETTEENTRY{255, 255, 255, 0});
        return;
    }
    PALETTEENTRY system[kMaxPaletteEntries];
    int count = PaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), system);
    for (int i = 0; i < count; ++i)
        list.AddNew(system[i]);
}

void AddOwnColors(TColorList& list, HPALETTE palette, int count)
{
    PALETTEENTRY own[kMaxPaletteEntries];
    int n = PaletteEntries(palette, own);
    for (int i = 0; i < n && list.Size() < count; ++i)
        list.AddNew(own[i]);
}

// Dark blues that are not present yet; every one of the 256 blue values is tried at most once,
// which always suffices for a count of at most 256.
void AddFillers(TColorList& list, int count)
{
    BYTE blue = 0;
    for (int tried = 0; tried < kMaxPaletteEntries && list.Size() < count; ++tried)
        list.AddNew(PALETTEENTRY{0, 0, ++blue, 0});
}

// Renders the logical area (0, 0, width, height) of a DC as its device rectangle part. The
// guard returned puts every changed mapping value back.
auto MapPart(HDC dc, const RECT& part, int width, int height)
{
    POINT viewportOrg{};
    SIZE viewportExt{};
    SIZE windowExt{};
    SetViewportOrgEx(dc, part.left, part.top, &viewportOrg);
    const int mapMode = SetMapMode(dc, MM_ANISOTROPIC);
    SetViewportExtEx(dc, part.right - part.left, part.bottom - part.top, &viewportExt);
    SetWindowExtEx(dc, width, height, &windowExt);
    return TScopeExit([dc, viewportOrg, viewportExt, windowExt, mapMode] {
        SetViewportExtEx(dc, viewportExt.cx, viewportExt.cy, nullptr);
        SetWindowExtEx(dc, windowExt.cx, windowExt.cy, nullptr);
        SetViewportOrgEx(dc, viewportOrg.x, viewportOrg.y, nullptr);
        SetMapMode(dc, mapMode);
    });
}

void RealizeOnScreen(HPALETTE palette)
{
    TScreenDC screen;
    TSelectPalette select(screen, palette, true, true);
}

} // namespace

int ScreenColorDepth()
{
    TScreenDC screen;
    return GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
}

bool IsPaletteDevice()
{
    return ScreenColorDepth() <= kMaxPaletteBits;
}

void ArrangePalette(HPALETTE palette, bool blackWhiteOnly, int count)
{
    if (!palette)
        return;
    if (count > kMaxPaletteEntries)
        count = kMaxPaletteEntries;
    TColorList list;
    AddReservedColors(list, blackWhiteOnly);
    const int base = list.Size();
    if (count < base)
        throw EInvalidOperation("palette of " + std::to_string(count) +
                                " entries has no room for its reserved colours");
    AddOwnColors(list, palette, count);
    AddFillers(list, count);

    ResizePalette(palette, count);
    const int half = base / 2;
    SetPaletteEntries(palette, 0, half, list.At(0));
    if (count > base)
        SetPaletteEntries(palette, half, count - base, list.At(base));
    if (base > half)
        SetPaletteEntries(palette, count - (base - half), base - half, list.At(half));
}

TOwnedPalette ReadRiffPalette(TStream& stream)
{
    char header[kRiffHeaderSize];
    if (stream.Read(header, kRiffHeaderSize) != kRiffHeaderSize)
        return {};
    if (std::memcmp(header + kRiffIdOffset, kRiffId, 4) != 0 ||
        std::memcmp(header + kFormOffset, kPaletteForm, 8) != 0)
        return {};
    DWORD chunkSize;
    std::memcpy(&chunkSize, header + kChunkSizeOffset, sizeof chunkSize);
    TLogPalette256 buffer{};
    if (chunkSize < kLogPaletteHeadSize || chunkSize > sizeof buffer)
        return {};
    const long n = static_cast<long>(chunkSize);
    if (stream.Read(&buffer, n) != n)
        return {};
    // An entry count beyond the buffer would make GDI read past it.
    if (buffer.palNumEntries > kMaxPaletteEntries)
        return {};
    return TOwnedPalette(CreatePalette(reinterpret_cast<const LOGPALETTE*>(&buffer)));
}

TOwnedPalette LoadPaletteResource(HINSTANCE instance, const char* name, const char* type)
{
    if (!FindResourceA(instance, name, type))
        return {};
    TResourceStream stream(instance, name, type);
    return ReadRiffPalette(stream);
}

TOwnedPalette CreateHalftoneCopy()
{
    TScreenDC screen;
    TOwnedPalette halftone(CreateHalftonePalette(screen));
    if (!halftone)
        return {};
    TLogPalette256 copy{};
    copy.palVersion = kLogPaletteVersion;
    copy.palNumEntries = static_cast<WORD>(PaletteEntries(halftone.Get(), copy.entries));
    return TOwnedPalette(CreatePalette(reinterpret_cast<const LOGPALETTE*>(&copy)));
}

bool IsEmptyRect(const RECT& rect)
{
    return rect.right == rect.left || rect.top == rect.bottom;
}

void DrawBitmapPart(TCanvas& canvas, const RECT& destRect, TBitmap& bitmap,
                    const RECT& sourceRect)
{
    if (IsEmptyRect(destRect) || IsEmptyRect(sourceRect))
        return;
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    if (sourceRect.left == 0 && sourceRect.top == 0 && sourceRect.right == width &&
        sourceRect.bottom == height) {
        canvas.StretchDraw(destRect, &bitmap);
        return;
    }
    // The bitmap draws its whole logical area from its own DC; mapped like this, that area is
    // exactly sourceRect in device pixels.
    auto mapping = MapPart(bitmap.Canvas().Handle(), sourceRect, width, height);
    canvas.StretchDraw(destRect, &bitmap);
}

HPALETTE DefaultPaletteHandle()
{
    return defaultPalette.Get();
}

void InitializeScreenColors()
{
    if (initCount++ > 0)
        return;
    TOwnedPalette palette =
        LoadPaletteResource(GetModuleHandleA(nullptr), kDefaultPaletteName, kDefaultPaletteType);
    if (!palette)
        palette = CreateHalftoneCopy();
    ArrangePalette(palette.Get(), false, kMaxPaletteEntries);
    RealizeOnScreen(palette.Get());
    defaultPalette = std::move(palette);
}

void FinalizeScreenColors()
{
    if (initCount == 0 || --initCount > 0)
        return;
    defaultPalette.Reset();
}
