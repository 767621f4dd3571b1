#pragma once
// What a metafile may declare and draw. GDI plays records as they stand: an index, a count or a
// size it is given is used to read and write memory, and a coordinate or a scale it is given
// decides how much it computes and allocates. A metafile beyond these limits is refused on load,
// so that every metafile that loads draws quickly and within the picture budget (ImageSize.h).
#include <windows.h>

// Header of an enhanced metafile.
constexpr LONG kMaxMetafileDevicePixels = 65536;        // szlDevice, per axis
constexpr LONG kMaxMetafileDeviceMillimetres = 100000;  // szlMillimeters, per axis: 100 m
// The picture frame in pixels of the recording device must be at least one pixel and, drawn at
// its own size, within the decoded-picture budget like any bitmap.
constexpr double kMinFramePixels = 1.0;
constexpr LONG kMaxFramePixels = 16384;   // per axis

// How far beyond its frame a metafile may draw, in frame sizes on each side: coordinates, pen
// widths and text heights, in device pixels after every transform of the metafile.
constexpr double kFrameReach = 4.0;
// Text cells larger than this (device pixels at the picture's own size) are refused: each glyph
// becomes a bitmap of its cell's size.
constexpr double kMaxGlyphPixels = 1024.0;
constexpr double kDefaultFontUnits = 16.0;   // the height of default and stock fonts, at most
// Scale factors in world transforms, text scales and blit transforms.
constexpr double kMaxTransformFactor = 65536.0;

constexpr DWORD kMaxMetafileObjects = 16384;   // handle table entries
constexpr int kMaxSavedStates = 256;           // SaveDC depth
constexpr DWORD kMaxRegionRects = 2048;        // GDI combines region rectangles pairwise
constexpr DWORD kMaxTextChars = 8192;          // characters of one text record
constexpr DWORD kMaxPolyPoints = 1 << 20;      // points of one poly record
constexpr DWORD kMaxPenStyleEntries = 16;      // dash entries of a user-styled pen
constexpr DWORD kMaxPaletteEntries = 256;

// Constants the system headers lack.
constexpr DWORD kLastStockObject = 19;     // DC_PEN: the last stock object index
constexpr DWORD kModifyWorldSet = 4;       // MWT_SET: replace the world transform
constexpr DWORD kRegionHeaderSize = 32;    // RGNDATAHEADER as files store it
constexpr WORD kPaletteVersion = 0x300;
