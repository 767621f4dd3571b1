#include "framework/graphics/Palette.h"

#include <algorithm>
#include <vector>

namespace {

// LOGPALETTE with room for every entry a palette of this program can have.
struct TLogPalette {
    WORD version = kLogPaletteVersion;
    WORD count = 0;
    PALETTEENTRY entries[kMaxPaletteEntries];
};

}  // namespace

int PaletteEntryCount(HPALETTE palette)
{
    if (!palette)
        return 0;
    WORD count = 0;
    if (GetObjectA(palette, sizeof(count), &count) == 0)
        return 0;
    return count;
}

TOwnedPalette CopyPalette(HPALETTE palette)
{
    if (!palette)
        return {};
    TLogPalette log{};
    int count = std::min(PaletteEntryCount(palette), kMaxPaletteEntries);
    log.count = static_cast<WORD>(GetPaletteEntries(palette, 0, count, log.entries));
    if (log.count == 0)
        return {};
    return TOwnedPalette(RequireHandle(CreatePalette(reinterpret_cast<LOGPALETTE*>(&log))));
}

TOwnedPalette PaletteFromColorTable(const RGBQUAD* colors, int count)
{
    count = std::min(count, kMaxPaletteEntries);
    if (count <= 0)
        return {};
    TLogPalette log{};
    log.count = static_cast<WORD>(count);
    for (int i = 0; i < count; ++i)
        log.entries[i] = PALETTEENTRY{colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
    return TOwnedPalette(RequireHandle(CreatePalette(reinterpret_cast<LOGPALETTE*>(&log))));
}

int ColorTableFromPalette(HPALETTE palette, RGBQUAD* colors, int count)
{
    if (!palette || count <= 0)
        return 0;
    PALETTEENTRY entries[kMaxPaletteEntries];
    int n = static_cast<int>(
        GetPaletteEntries(palette, 0, std::min(count, kMaxPaletteEntries), entries));
    for (int i = 0; i < n; ++i)
        colors[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    return n;
}
