#pragma once
// Screen and palette facts shared by the picture code: the screen's colour depth, palettes rearranged so that reserved colours sit at both ends, RIFF palettes, a copy of the
// halftone palette, the process-wide default palette, and drawing part of a bitmap.
#include "framework/win32/GdiHandle.h"

#include <windows.h>

class TBitmap;
class TCanvas;
class TStream;

// Bits per pixel times planes of the screen.
int ScreenColorDepth();
// True for screens of 256 colours or fewer, where colours go through a hardware palette.
bool IsPaletteDevice();

// Resizes palette to count entries (at most 256) with reserved colours at both ends: black and
// white when blackWhiteOnly, else the system's static colours, half at the start and half at
// the end. The palette's own distinct colours follow the first half in their order, then
// fillers (0, 0, 1), (0, 0, 2), ... that are not present yet; colours beyond the room left are
// dropped. A count below the number of reserved colours raises EInvalidOperation.
void ArrangePalette(HPALETTE palette, bool blackWhiteOnly, int count);

// A new palette from a RIFF "PAL " file at the stream's position, or none when the data is no
// such palette, holds more than 256 entries or ends early. The data chunk must come first.
TOwnedPalette ReadRiffPalette(TStream& stream);
// The same from a resource of instance; none when there is no such resource. name and type may
// be MAKEINTRESOURCE values.
TOwnedPalette LoadPaletteResource(HINSTANCE instance, const char* name, const char* type);
// A new plain palette with the entries of the screen's halftone palette.
TOwnedPalette CreateHalftoneCopy();

// Stretch-draws sourceRect of bitmap into destRect of canvas; empty rectangles draw nothing.
void DrawBitmapPart(TCanvas& canvas, const RECT& destRect, TBitmap& bitmap,
                    const RECT& sourceRect);
bool IsEmptyRect(const RECT& rect);

// The default palette built at start-up (the arranged halftone copy unless the program carries
// a "DefaultPalette" resource of type "Palette"); owned by this unit, 0 outside its lifetime.
HPALETTE DefaultPaletteHandle();

// Start-up and shutdown of this unit, counted: the first initialisation builds and realises the
// default palette, the last finalisation deletes it.
void InitializeScreenColors();
void FinalizeScreenColors();

// Keeps the unit initialised for its lifetime; the program entry holds one for the whole run.
class TScreenColorsModule {
public:
    TScreenColorsModule() { InitializeScreenColors(); }
    ~TScreenColorsModule() { FinalizeScreenColors(); }
    TScreenColorsModule(const TScreenColorsModule&) = delete;
    TScreenColorsModule& operator=(const TScreenColorsModule&) = delete;
};
