#pragma once
// Palette handle helpers shared by the graphics: copies, and conversions between logical
// palettes and DIB colour tables. A new palette comes in its owner (holding nothing for no
// palette).
#include "framework/win32/GdiHandle.h"

#include <windows.h>

constexpr int kMaxPaletteEntries = 256;
constexpr WORD kLogPaletteVersion = 0x300;

// A new palette with the same entries (none for 0).
TOwnedPalette CopyPalette(HPALETTE palette);
// Number of entries of a palette (0 for 0).
int PaletteEntryCount(HPALETTE palette);
// A palette of count colour-table entries (at most 256); none for count 0.
TOwnedPalette PaletteFromColorTable(const RGBQUAD* colors, int count);
// Fills colors with up to count entries of palette; returns how many were filled.
int ColorTableFromPalette(HPALETTE palette, RGBQUAD* colors, int count);
